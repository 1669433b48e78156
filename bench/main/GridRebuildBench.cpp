// The record grid's rebuild for an account with many records: a rebuild of 10,000 rows with
// 10,000 AutoIP entries (every row marked, so every row's look-up hits), and the path where
// the lists have not changed. Runs on the offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include "account/clsUser.h"
#include "main/GridRows.h"
#include "main/frmMain.h"
#include "protocol/basDNS.h"

namespace {

using quillon::frmMain;
using quillon::objUser;
using quillon::sAutoIPs;

// A record list of `count` entries and the AutoIP list that marks every one of them. `variant`
// changes one address, so that two lists differ as a re-point makes them differ.
std::pair<QString, QString> lists(int count, int variant) {
    static const char* const kTypes[] = {"A", "CNAME", "MX 1", "PORT RELAY"};
    QString records;
    QString autoIPs;
    for (int i = 0; i < count; ++i) {
        const QString type = QString::fromLatin1(kTypes[i % 4]);
        QString address = type == QLatin1String("PORT RELAY")
                              ? QStringLiteral("HTTP://192.0.2.%1:8080/cam").arg(i % 250)
                              : QStringLiteral("192.0.2.%1").arg(i % 250);
        if (i == 0 && variant == 1) {
            address = QStringLiteral("198.51.100.1");
        }
        const QString domain = QStringLiteral("domain%1.example").arg(i % 50);
        const QString name = QStringLiteral("host%1").arg(i);
        if (i > 0) {
            records += QStringLiteral("~~");
        }
        records += domain + QStringLiteral(";;") + type + QStringLiteral(";;") + name +
                   QStringLiteral(";;") + address;
        autoIPs += quillon::AutoIPEntry(domain, type, name, address);
    }
    return {records, autoIPs};
}

// The window's record list, found by its name as the tests find it.
QTreeWidget* recordList(const frmMain& window) {
    return window.findChild<QTreeWidget*>(QStringLiteral("lvDomainUser"));
}

// A window with the grid's five columns, as the load prepares it; null without its list.
std::unique_ptr<frmMain> gridWindow() {
    auto window = std::make_unique<frmMain>();
    window->ensureBuilt();
    QTreeWidget* list = recordList(*window);
    if (list == nullptr) {
        return nullptr;
    }
    list->setHeaderLabels({QStringLiteral("Domain"), QStringLiteral("Type"), QStringLiteral("Name"),
                           QStringLiteral("Server Address"), QStringLiteral("AutoIP")});
    window->show();
    return window;
}

void BM_GridRebuild(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::pair<QString, QString> versions[] = {lists(count, 0), lists(count, 1)};
    auto window = gridWindow();
    if (!window) {
        state.SkipWithError("the window has no record list named lvDomainUser");
        return;
    }
    int turn = 0;
    for (auto _ : state) {
        // Alternate between the two versions: every rebuild replaces all rows.
        objUser().sDomainUserRecords = versions[turn].first;
        sAutoIPs = versions[turn].second;
        turn ^= 1;
        window->FillDomainUserGrid();
    }
    if (recordList(*window)->topLevelItemCount() != count) {
        state.SkipWithError("the grid does not hold every record");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_GridRebuild)->Arg(10000)->Unit(benchmark::kMillisecond);

// The rows alone, without the list view: what the rebuild costs before any widget work.
void BM_BuildGridRows(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto [records, autoIPs] = lists(count, 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quillon::BuildGridRows(records, autoIPs, quillon::PendingReAdds(), QString()));
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BuildGridRows)->Arg(10000)->Unit(benchmark::kMillisecond);

// The AutoIP list's set alone.
void BM_AutoIPSet(benchmark::State& state) {
    const auto [records, autoIPs] = lists(static_cast<int>(state.range(0)), 0);
    for (auto _ : state) {
        const quillon::AutoIPSet set(autoIPs);
        benchmark::DoNotOptimize(&set);
    }
}
BENCHMARK(BM_AutoIPSet)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_GridRebuildUnchanged(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const auto [records, autoIPs] = lists(count, 0);
    auto window = gridWindow();
    if (!window) {
        state.SkipWithError("the window has no record list named lvDomainUser");
        return;
    }
    objUser().sDomainUserRecords = records;
    sAutoIPs = autoIPs;
    window->FillDomainUserGrid();
    // The service sends the list anew with each reply: equal text, not the same string.
    const QString sameRecords(records.constData(), records.size());
    for (auto _ : state) {
        objUser().sDomainUserRecords = sameRecords;
        window->FillDomainUserGrid();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_GridRebuildUnchanged)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
