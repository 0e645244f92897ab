// A parameter value: either a number or a text, like the fields it comes from.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace sb {

class Value {
public:
    Value() : data_(std::string{}) {}
    Value(double n) : data_(n) {}  // NOLINT(google-explicit-constructor)
    Value(int n) : data_(static_cast<double>(n)) {}  // NOLINT(google-explicit-constructor)
    Value(std::string s) : data_(std::move(s)) {}  // NOLINT(google-explicit-constructor)
    Value(const char* s) : data_(std::string(s)) {}  // NOLINT(google-explicit-constructor)

    bool isNumber() const { return std::holds_alternative<double>(data_); }
    bool isText() const { return !isNumber(); }
    // True for an empty text (a value never given).
    bool isEmpty() const { return isText() && std::get<std::string>(data_).empty(); }
    double number() const { return isNumber() ? std::get<double>(data_) : 0.0; }
    const std::string& text() const;

    // The value as a field shows it: numbers in plain decimal, texts as they are.
    std::string toText() const;

    bool operator==(const Value& other) const = default;

private:
    std::variant<double, std::string> data_;
};

}  // namespace sb
