// Parsing a login reply of an account with a large record list: every labelled field through
// GetReplyValue, then the record list split into its entries and their four fields.
#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

#include "protocol/basDNS.h"

namespace {

using quillon::GetReplyValue;

const QStringList kTags = {QStringLiteral("DNS LOGIN:"),      QStringLiteral("FirstName:"),
                           QStringLiteral("LastName:"),       QStringLiteral("Domains:"),
                           QStringLiteral("SubDomain:"),      QStringLiteral("RecordTypes:"),
                           QStringLiteral("ExpirationDate:"), QStringLiteral("UserLevel:"),
                           QStringLiteral("IPAddress:"),      QStringLiteral("DomainUserRecords:"),
                           QStringLiteral("Error:")};

QString recordList(int count) {
    static const char* const kTypes[] = {"A", "CNAME", "MX 1", "PORT RELAY"};
    QString list;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            list += QStringLiteral("~~");
        }
        const QString type = QString::fromLatin1(kTypes[i % 4]);
        const QString address = type == QStringLiteral("PORT RELAY")
                                    ? QStringLiteral("HTTP://cam%1.example:8080/live").arg(i)
                                    : QStringLiteral("192.0.2.%1").arg(i % 256);
        list += QStringLiteral("domain%1.example;;").arg(i % 50) + type +
                QStringLiteral(";;host%1;;").arg(i) + address;
    }
    return list;
}

// A reply laid out as the service lays it out, with the record list as the last field but
// one, so that every tag search past it runs over the whole list.
QString loginReply(int records) {
    return QStringLiteral(
               "<html><head><title>Corvane</title></head><body>\n"
               "<p>DNS LOGIN: SUCCESS</p>\n<p>FirstName: Jane</p>\n<p>LastName: Doe</p>\n"
               "<p>Domains: domain0.example,domain1.example</p>\n<p>SubDomain: </p>\n"
               "<p>RecordTypes: A,CNAME,MX 1,PORT RELAY</p>\n"
               "<p>ExpirationDate: 12/31/2030</p>\n<p>IPAddress: 192.0.2.7</p>\n"
               "<p>DomainUserRecords:") +
           recordList(records) + QStringLiteral("</p>\n<p>UserLevel: 5</p>\n</body></html>\n");
}

void BM_ParseLoginReply(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const QString reply = loginReply(records);
    for (auto _ : state) {
        qsizetype fields = 0;
        QString list;
        for (const QString& tag : kTags) {
            QString value = GetReplyValue(reply, tag);
            if (tag == QStringLiteral("DomainUserRecords:")) {
                list = std::move(value);
            }
            benchmark::DoNotOptimize(value);
        }
        const QStringList entries = list.split(QStringLiteral("~~"), Qt::SkipEmptyParts);
        for (const QString& entry : entries) {
            const QStringList parts = entry.split(QStringLiteral(";;"));
            fields += parts.size();
            benchmark::DoNotOptimize(parts);
        }
        if (fields != 4LL * records) {
            state.SkipWithError("the record list did not split into four fields per entry");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * reply.size() * 2);
}
BENCHMARK(BM_ParseLoginReply)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_GetReplyValueOnly(benchmark::State& state) {
    const QString reply = loginReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const QString& tag : kTags) {
            benchmark::DoNotOptimize(GetReplyValue(reply, tag));
        }
    }
}
BENCHMARK(BM_GetReplyValueOnly)->Arg(10'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
