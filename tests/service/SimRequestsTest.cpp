#include <gtest/gtest.h>

#include "support/SimProcess.h"

using quillon::test::SimProcess;

TEST(SimSmoke, LoginOverHttpAndHttps) {
    SimProcess sim(SimProcess::Options{true, true});
    ASSERT_TRUE(sim.started()) << sim.error().toStdString();
    EXPECT_TRUE(
        sim.get("/dnslogin3.asp?fxn=login&usr=demo&pwd=demo").contains("<p>DNS LOGIN:SUCCESS</p>"));
    EXPECT_TRUE(sim.get("/autoupdate/dnslogin3.asp?fxn=login&usr=demo&pwd=demo", true)
                    .contains("<p>DNS LOGIN:SUCCESS</p>"));
    EXPECT_EQ(sim.requestLog(),
              (QStringList{"/dnslogin3.asp?fxn=login&usr=demo&pwd=demo",
                           "/autoupdate/dnslogin3.asp?fxn=login&usr=demo&pwd=demo"}));
}
