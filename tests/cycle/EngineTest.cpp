#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <functional>
#include <map>
#include <ostream>

#include "account/clsUser.h"
#include "cycle/AutoIPCycle.h"
#include "cycle/UpdateDriver.h"
#include "protocol/ProtocolDoubles.h"
#include "protocol/Transfer.h"
#include "protocol/basDNS.h"

// The engine's decisions at the transfer seam, with no window: one check of an account whose two
// marked records (www and ftp) follow the public address, against a service that keeps a zone
// and meets chosen requests with a refusal, a server error or silence, and a store that stops
// taking writes from a chosen write on.

namespace quillon::test {
namespace {

const QString kNew = QStringLiteral("203.0.113.5");
const QString kZone =
    QStringLiteral("zone.example;;A;;www;;10.0.0.1~~zone.example;;A;;ftp;;10.0.0.2~~");
const QString kMarks =
    QStringLiteral("ZONE.EXAMPLE;;A;;WWW;;10.0.0.1~~ZONE.EXAMPLE;;A;;FTP;;10.0.0.2~~");

// What the n-th update request meets.
enum class Meets { Refusal, ServerErrorAfterActing, NoReply };

// The service: a zone the update requests change (a record is named by domain, type and name,
// as the service names it) and the address it reports.
class FakeZone : public Transfer {
  public:
    FakeZone() { setServiceTransfer(this); }
    ~FakeZone() override { unregisterServiceTransfer(this); }
    FakeZone(const FakeZone&) = delete;
    FakeZone& operator=(const FakeZone&) = delete;

    TransferReply OpenURL(const QString& url) override {
        const QUrlQuery q(QUrl(url).query(QUrl::FullyDecoded));
        if (q.queryItemValue(QStringLiteral("FXN")) != QLatin1String("DNSTickler")) {
            return answer();
        }
        const QString command = q.queryItemValue(QStringLiteral("DNSCommand"));
        const QString key = q.queryItemValue(QStringLiteral("Domain")) + kRecordFieldSep +
                            q.queryItemValue(QStringLiteral("RecordType")) + kRecordFieldSep +
                            q.queryItemValue(QStringLiteral("Cname")) + kRecordFieldSep;
        const QString address = q.queryItemValue(QStringLiteral("IPAddress"));
        const int n = updates++;
        sent << command + QLatin1Char(' ') + key + address;
        if (onUpdate) {
            onUpdate(n);
        }
        const auto fault = faults.find(n);
        if (fault != faults.end() && fault->second == Meets::Refusal) {
            return TransferReply{true, QStringLiteral("<p>Error: Record not found.</p>"), {}, 200};
        }
        if (fault != faults.end() && fault->second == Meets::NoReply) {
            return TransferReply{false, {}, QStringLiteral("timed out"), 0};
        }
        zone.erase(std::remove_if(zone.begin(), zone.end(),
                                  [&](const QString& r) { return r.startsWith(key); }),
                   zone.end());
        if (command == QLatin1String("RECORDADD")) {
            zone << key + address;
        }
        if (fault != faults.end()) {  // acted, then failed
            return TransferReply{
                true, QStringLiteral("<p>Error:Service storage failure.</p>"), {}, 500};
        }
        return answer();
    }

    TransferReply answer() const {
        return TransferReply{true,
                             QStringLiteral("<html><p>SUCCESS</p><p>IPAddress: ") + reported +
                                 QStringLiteral(" </p><p>DomainUserRecords:") +
                                 zone.join(kRecordEntrySep) + kRecordEntrySep +
                                 QStringLiteral("</p></html>"),
                             {},
                             200};
    }
    // The zone in a fixed order, to compare.
    QString sortedZone() const {
        QStringList sorted = zone;
        sorted.sort();
        return sorted.join(kRecordEntrySep) + kRecordEntrySep;
    }

    QString reported = kNew;
    QStringList zone;
    std::map<int, Meets> faults;
    std::function<void(int)> onUpdate;
    QStringList sent;
    int updates = 0;
};

struct Row {
    const char* situation;
    QString reported;
    QString pendingBefore;
    std::map<int, Meets> faults;
    int storeFailsFromWrite;  // -1: every write is taken
    int stopAtUpdate;         // -1: no stop
    QStringList sent;         // "COMMAND domain;;type;;name;;address"
    QString zoneAfter;        // sorted
    QString storedPending;
    QString storedMarks;  // sorted, upper case
    // The owner holds back the pending retries and the marked records (an open editor, the
    // delete question).
    bool ownerHoldsBack = false;
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.situation;
}

QString sortedMarks(const QString& marks) {
    QStringList entries = marks.toUpper().split(kRecordEntrySep, Qt::SkipEmptyParts);
    entries.sort();
    return entries.join(kRecordEntrySep);
}

QString del(const char* name, const char* address) {
    return QStringLiteral("RECORDDELETE zone.example;;A;;%1;;%2").arg(name, address);
}
QString add(const char* name, const QString& address = kNew) {
    return QStringLiteral("RECORDADD zone.example;;A;;%1;;%2").arg(name, address);
}
const QString kWwwNew = QStringLiteral("zone.example;;A;;www;;203.0.113.5");
const QString kFtpNew = QStringLiteral("zone.example;;A;;ftp;;203.0.113.5");
const QString kWwwOld = QStringLiteral("zone.example;;A;;www;;10.0.0.1");
const QString kFtpOld = QStringLiteral("zone.example;;A;;ftp;;10.0.0.2");
QString zoneOf(QStringList records) {
    records.sort();
    return records.join(kRecordEntrySep) + kRecordEntrySep;
}
QString marksOf(const QStringList& records) {
    return sortedMarks(records.join(kRecordEntrySep) + kRecordEntrySep);
}

class EngineTest : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        user_.sUsername = QStringLiteral("jdoe");
        user_.sPassword = QStringLiteral("pw");
        user_.sDomainUserRecords = kZone;
        zone_.zone = QStringList{kWwwOld, kFtpOld};
    }

    clsUser user_;
    QString marks_ = kMarks;
    QString serviceURL_ = QStringLiteral("http://update.test/dnslogin3.asp");
    bool connected_ = true;
    ServiceAccount account_{&user_, &marks_, &serviceURL_, &connected_};
    FakeZone zone_;
};

TEST_P(EngineTest, OneCheck) {
    const Row& row = GetParam();
    zone_.reported = row.reported;
    zone_.faults = row.faults;
    PendingReAdds pending = PendingReAdds::fromText(row.pendingBefore);
    QString storedPending = row.pendingBefore;
    QString storedMarks = kMarks;
    int writes = 0;
    const auto taken = [&] {
        return row.storeFailsFromWrite < 0 || writes++ < row.storeFailsFromWrite;
    };
    AutoIPCycle cycle(
        pending,
        CycleWrites{[&] { return taken() && (storedPending = pending.toText(), true); },
                    [&] { return taken() && (storedMarks = marks_, true); },
                    [&](const QString&) { return taken(); }},
        account_);
    bool stopping = false;
    cycle.stopWhen([&] { return stopping; });
    zone_.onUpdate = [&](int n) { stopping = stopping || n == row.stopAtUpdate; };

    CheckOwner owner;
    owner.mayRetryPending = [&](std::optional<PendingRecord>&) { return !row.ownerHoldsBack; };
    owner.records = [&]() -> std::optional<std::vector<CycleRecord>> {
        if (row.ownerHoldsBack) {
            return std::nullopt;
        }
        return RecordsOfList(user_.sDomainUserRecords, marks_);
    };
    UpdateDriver driver(cycle);
    driver.check(false, user_.sIPAddress, 1, owner);

    const auto text = [](const QString& t) { return t.toStdString(); };
    EXPECT_EQ(text(zone_.sent.join(QLatin1Char('\n'))), text(row.sent.join(QLatin1Char('\n'))));
    EXPECT_EQ(text(zone_.sortedZone()), text(row.zoneAfter));
    EXPECT_EQ(text(storedPending), text(row.storedPending));
    EXPECT_EQ(text(sortedMarks(storedMarks)), text(row.storedMarks));
}

const QString kNone;
INSTANTIATE_TEST_SUITE_P(
    Situations, EngineTest,
    ::testing::Values(
        Row{"usable address: both records follow",
            kNew,
            kNone,
            {},
            -1,
            -1,
            {del("www", "10.0.0.1"), add("www"), del("ftp", "10.0.0.2"), add("ftp")},
            zoneOf({kWwwNew, kFtpNew}),
            kNone,
            marksOf({kWwwNew, kFtpNew})},
        Row{"unusable address: nothing is sent",
            QStringLiteral("127.0.0.1"),
            kNone,
            {},
            -1,
            -1,
            {},
            zoneOf({kWwwOld, kFtpOld}),
            kNone,
            sortedMarks(kMarks)},
        Row{"pending retry: added back before the re-points",
            kNew,
            QStringLiteral("zone.example;;A;;mail;;10.0.0.9~~"),
            {},
            -1,
            -1,
            {add("mail"), del("www", "10.0.0.1"), add("www"), del("ftp", "10.0.0.2"), add("ftp")},
            zoneOf({kWwwNew, kFtpNew, QStringLiteral("zone.example;;A;;mail;;203.0.113.5")}),
            kNone,
            marksOf({kWwwNew, kFtpNew, QStringLiteral("zone.example;;A;;mail;;203.0.113.5")})},
        Row{"refused delete, failed add: nothing was removed, nothing pending",
            kNew,
            kNone,
            {{0, Meets::Refusal}, {1, Meets::NoReply}},
            -1,
            -1,
            {del("www", "10.0.0.1"), add("www"), del("ftp", "10.0.0.2"), add("ftp")},
            zoneOf({kWwwOld, kFtpNew}),
            kNone,
            marksOf({kWwwOld, kFtpNew})},
        Row{"server error to the delete, failed add: the record stays pending",
            kNew,
            kNone,
            {{0, Meets::ServerErrorAfterActing}, {1, Meets::NoReply}},
            -1,
            -1,
            {del("www", "10.0.0.1"), add("www"), del("ftp", "10.0.0.2"), add("ftp")},
            zoneOf({kFtpNew}),
            kWwwNew + kRecordEntrySep,
            marksOf({kWwwOld, kFtpNew})},
        Row{"failed add: the record stays pending",
            kNew,
            kNone,
            {{1, Meets::NoReply}},
            -1,
            -1,
            {del("www", "10.0.0.1"), add("www"), del("ftp", "10.0.0.2"), add("ftp")},
            zoneOf({kFtpNew}),
            kWwwNew + kRecordEntrySep,
            marksOf({kFtpNew})},
        Row{"unwritable store: no delete is sent",
            kNew,
            kNone,
            {},
            0,
            -1,
            {},
            zoneOf({kWwwOld, kFtpOld}),
            kNone,
            sortedMarks(kMarks)},
        Row{"store lost after the first add: that record stays pending, the next is left",
            kNew,
            kNone,
            {},
            1,
            -1,
            {del("www", "10.0.0.1"), add("www")},
            zoneOf({kWwwNew, kFtpOld}),
            kWwwNew + kRecordEntrySep,
            sortedMarks(kMarks)},
        Row{"stop in flight: the pair ends, the next record waits for the next run",
            kNew,
            kNone,
            {},
            -1,
            0,
            {del("www", "10.0.0.1"), add("www")},
            zoneOf({kWwwNew, kFtpOld}),
            kNone,
            marksOf({kWwwNew, kFtpOld})},
        Row{"owner holds back: no retry, no re-point",
            kNew,
            QStringLiteral("zone.example;;A;;mail;;10.0.0.9~~"),
            {},
            -1,
            -1,
            {},
            zoneOf({kWwwOld, kFtpOld}),
            QStringLiteral("zone.example;;A;;mail;;10.0.0.9~~"),
            sortedMarks(kMarks),
            true}),
    [](const ::testing::TestParamInfo<Row>& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace quillon::test
