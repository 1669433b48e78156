// Key put and SetValue on a key of 1,000 values, each beside a bare SQLite read of the same
// rows in the same run; the ratios are printed after the table (target: within 3 times).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "hivekit/CRegistry.h"
#include "hivekit/Notice.h"
#include "hivekit/Store.h"

namespace {

constexpr int kValues = 1000;
constexpr const char* kKey = "SOFTWARE\\Bench\\Thousand";

std::string& StorePath() {
    static std::string path;
    return path;
}

// Creates the store once with the key and its 1,000 values.
void PrepareStore() {
    if (!StorePath().empty()) {
        return;
    }
    char templ[] = "/tmp/hivekit-bench-XXXXXX";
    if (!mkdtemp(templ)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    StorePath() = std::string(templ) + "/registry.db";
    setenv("HIVEKIT_STORE", StorePath().c_str(), 1);
    hivekit::Store store;
    std::int64_t id = 0;
    int disposition = 0;
    store.CreateKey(hivekit::CRegistry::kDefaultRoot, kKey, id, disposition);
    for (int i = 0; i < kValues; ++i) {
        const std::string data = "setting value number " + std::to_string(i) + '\0';
        store.SetValue(id, "Value" + std::to_string(i), 1, data);
    }
}

// The same rows read with SQLite alone: one prepared query over the key's values, copied out.
class BareReader {
  public:
    BareReader() {
        sqlite3_open_v2(StorePath().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_prepare_v2(db_,
                           "SELECT v.name, v.type, v.data FROM vals v JOIN keys k ON v.key = k.id "
                           "WHERE k.folded = 'THOUSAND' ORDER BY v.seq",
                           -1, &read_, nullptr);
        sqlite3_prepare_v2(db_,
                           "UPDATE vals SET data = ?1 WHERE folded = 'VALUE500' AND key = "
                           "(SELECT id FROM keys WHERE folded = 'THOUSAND')",
                           -1, &write_, nullptr);
    }
    ~BareReader() {
        sqlite3_finalize(read_);
        sqlite3_finalize(write_);
        sqlite3_close(db_);
    }
    std::size_t Read() {
        rows_.clear();
        while (sqlite3_step(read_) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(read_, 0));
            const auto* data = static_cast<const char*>(sqlite3_column_blob(read_, 2));
            rows_.push_back({name, std::string(data, static_cast<std::size_t>(
                                                         sqlite3_column_bytes(read_, 2)))});
        }
        sqlite3_reset(read_);
        return rows_.size();
    }
    void Write(const std::string& data) {
        sqlite3_bind_blob(write_, 1, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
        sqlite3_step(write_);
        sqlite3_reset(write_);
    }

  private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* read_ = nullptr;
    sqlite3_stmt* write_ = nullptr;
    std::vector<std::pair<std::string, std::string>> rows_;
};

void BM_KeyPut(benchmark::State& state) {
    PrepareStore();
    hivekit::CRegistry reg;
    for (auto _ : state) {
        reg.PutKey(kKey);
        benchmark::DoNotOptimize(reg.GetValueCount());
    }
    if (reg.GetValueCount() != kValues + 1) {
        state.SkipWithError("the key did not hold 1,000 values");
    }
}

void BM_SetValue(benchmark::State& state) {
    PrepareStore();
    hivekit::CRegistry reg;
    reg.PutKey(kKey);
    int n = 0;
    for (auto _ : state) {
        hivekit::Var name = std::string("Value500");
        hivekit::Var value = std::string("changed ") + std::to_string(++n);
        benchmark::DoNotOptimize(reg.SetValue(name, value, 0));
    }
}

void BM_BareSqliteRead(benchmark::State& state) {
    PrepareStore();
    BareReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.Read());
    }
}

// For scale: one durable SQLite write of the same value followed by the bare read.
void BM_BareSqliteWriteThenRead(benchmark::State& state) {
    PrepareStore();
    BareReader reader;
    int n = 0;
    for (auto _ : state) {
        reader.Write("bare " + std::to_string(++n) + '\0');
        benchmark::DoNotOptimize(reader.Read());
    }
}

BENCHMARK(BM_BareSqliteRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyPut)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetValue)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareSqliteWriteThenRead)->Unit(benchmark::kMicrosecond);

// Prints the table as usual and keeps each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    // Notices would go to the system log; the benchmark gives none, but keep it quiet anyway.
    hivekit::SetNoticeSink([](const std::string&, const std::string&) {});
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.times["BM_BareSqliteRead"];
    if (bare > 0) {
        std::printf("\nKey put / bare read:   %.2fx (target within 3x)\n",
                    reporter.times["BM_KeyPut"] / bare);
        std::printf("SetValue / bare read:  %.2fx (target within 3x)\n",
                    reporter.times["BM_SetValue"] / bare);
        std::printf("SetValue / bare durable write + read: %.2fx\n",
                    reporter.times["BM_SetValue"] / reporter.times["BM_BareSqliteWriteThenRead"]);
    }
    benchmark::Shutdown();
    if (!StorePath().empty()) {
        std::filesystem::remove_all(std::filesystem::path(StorePath()).parent_path());
    }
    return 0;
}
