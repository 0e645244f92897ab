#include "qt/publish_runner.h"

#include "qt/curl_transport.h"

namespace sbqt {

PublishRunner curlPublishRunner() {
    return {sb::publish::parseAddress,
            [](const std::string& siteFolder, const sb::publish::Address& address,
               const sb::publish::Credentials& credentials, const sb::publish::Questions& questions,
               const sb::publish::Events& events, const std::atomic<bool>& cancel, bool english) {
                const auto transport = sb::makeCurlTransport(address, credentials, questions);
                return sb::publish::publishSite(siteFolder, *transport, events, cancel, english);
            }};
}

}  // namespace sbqt
