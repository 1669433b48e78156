// libcurl is not part of the program's start: it is loaded by the first request. This program
// links only the service dialogue (no test helper that links libcurl itself), so that what it
// sees is what the program sees.
#include <gtest/gtest.h>

#include "protocol/CurlOnDemand.h"
#include "protocol/CurlTransfer.h"

using namespace quillon;

TEST(CurlOnDemand, LoadedByTheFirstRequestNotByTheTransfer) {
    CurlTransfer transfer;
    transfer.setTimeouts(2000, 2000);
    EXPECT_FALSE(curlLibraryLoaded()) << "libcurl was loaded before any request";

    // Nothing listens on port 1 of the loopback: libcurl's own refusal comes back.
    const TransferReply reply = transfer.OpenURL(QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_TRUE(curlLibraryLoaded());
    EXPECT_FALSE(reply.ok);
    EXPECT_NE(reply.error, QStringLiteral("the transfer could not be set up"));
    EXPECT_FALSE(reply.error.isEmpty());
}
