// The way to the user's web space over SFTP, FTPS (explicit TLS) or plain
// FTP, with libcurl. Plain C++: no Qt.
//
// SFTP checks the server's key against ~/.ssh/known_hosts: a host it does
// not know is put to Questions::trustNewHost (yes appends its key there), a
// key that differs is refused. It logs in with the password when there is
// one, otherwise with the key file and the SSH agent. FTPS verifies the
// certificate; one that does not verify is put to
// Questions::acceptCertificate, and once accepted its public key is pinned
// for that server ($XDG_CONFIG_HOME/sitebuilder/publish-certificates).
//
// For FTP the address's path is taken from the folder the server logs the
// user into, as ftp:// addresses mean; for SFTP from the server's root
// ("/~/" for the home folder).
//
// Two connections at once, each used by one call at a time; connecting
// gives up after 20 seconds, a transfer when it moves less than a byte a
// second for 30 seconds, any one call after a day.
#pragma once

#include <memory>

#include "publish/publish.h"
#include "publish/transport.h"

namespace sb {

std::unique_ptr<publish::Transport> makeCurlTransport(const publish::Address& address,
                                                      const publish::Credentials& credentials,
                                                      const publish::Questions& questions);

}  // namespace sb
