// What the Publish window needs of the publishing code: reading the address
// the user typed and doing one run. Kept apart so that the window can be
// tried with a run of a test's own.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "publish/publish.h"

namespace sbqt {

struct PublishRunner {
    // Nothing when the text is not an address the program publishes to.
    std::function<std::optional<sb::publish::Address>(const std::string& text)> parse;
    // Called on the publishing thread; returns when the run is over.
    std::function<sb::publish::Outcome(const std::string& siteFolder, const sb::publish::Address& address,
                                       const sb::publish::Credentials& credentials,
                                       const sb::publish::Questions& questions, const sb::publish::Events& events,
                                       const std::atomic<bool>& cancel, bool english)>
        run;
};

}  // namespace sbqt
