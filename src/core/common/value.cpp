#include "common/value.h"

#include "common/text.h"

namespace sb {

const std::string& Value::text() const {
    static const std::string empty;
    return isText() ? std::get<std::string>(data_) : empty;
}

std::string Value::toText() const { return isNumber() ? formatPlain(number()) : text(); }

}  // namespace sb
