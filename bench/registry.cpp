// The registry classes against raw SQLite on the same store file: opening a
// key, reading a DWORD and closing it, against one prepared SELECT of the
// same value; and one SetDword against one prepared UPDATE (both committed
// with a full sync). Prints the two ratios at the end.
// bench-layers: cmlib
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/advapi32/SqliteDatabase.h"
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"
#include "update/BSURegistryLayout.h"

#include "bench/support/BenchRun.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

std::string g_store;

// The Notification key's id, found by the raw connection.
std::int64_t NotificationKeyId(platform::SqliteDatabase& db)
{
    std::int64_t id = 0;
    db.QueryInt("SELECT id FROM keys WHERE name_folded = 'NOTIFICATION'", id);
    return id;
}

void OpenRaw(platform::SqliteDatabase& db)
{
    db.Open(g_store, platform::SqliteDatabase::OpenMode::ReadWrite);
    db.SetBusyTimeout(10000);
    db.Exec("PRAGMA synchronous = FULL");  // as the store commits
}

void BM_KeyOpenQueryDwordClose(benchmark::State& state)
{
    for (auto _ : state) {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
        benchmark::DoNotOptimize(key.QueryDword(szBSUStatusValue));
    }
}
BENCHMARK(BM_KeyOpenQueryDwordClose);

void BM_RawSqliteSelect(benchmark::State& state)
{
    platform::SqliteDatabase db;
    OpenRaw(db);
    const std::int64_t key = NotificationKeyId(db);
    platform::SqliteStatement s;
    db.Prepare("SELECT data FROM key_values WHERE key = ?1 AND name_folded = ?2", s);
    for (auto _ : state) {
        s.BindInt(1, key);
        s.BindText(2, "BSU");
        DWORD v = 0;
        if (s.Step() == platform::SqliteResult::Row && s.ColumnBytes(0) == sizeof v)
            std::memcpy(&v, s.ColumnBlob(0), sizeof v);
        benchmark::DoNotOptimize(v);
        s.Reset();
    }
}
BENCHMARK(BM_RawSqliteSelect);

void BM_SetDword(benchmark::State& state)
{
    cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey);
    key.UpgradeSam(GENERIC_ALL);
    DWORD i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(key.SetDword(szBSUStatusValue, ++i % 3));
}
BENCHMARK(BM_SetDword);

void BM_RawSqliteUpdate(benchmark::State& state)
{
    platform::SqliteDatabase db;
    OpenRaw(db);
    const std::int64_t key = NotificationKeyId(db);
    platform::SqliteStatement s;
    db.Prepare("UPDATE key_values SET data = ?1 WHERE key = ?2 AND name_folded = ?3", s);
    DWORD i = 0;
    for (auto _ : state) {
        const DWORD v = ++i % 3;
        s.BindBlob(1, &v, sizeof v);
        s.BindInt(2, key);
        s.BindText(3, "BSU");
        benchmark::DoNotOptimize(s.Step());
        s.Reset();
    }
}
BENCHMARK(BM_RawSqliteUpdate);

}  // namespace

int main(int argc, char** argv)
{
    platform::ScopedTempDirectory dir("brelvo-bench");
    g_store = dir.Path() + "/registry.sqlite";
    SetEnvironmentVariableA("BRELVO_REGISTRY", g_store.c_str());
    SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
    {
        cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing);
        key.UpgradeSam(GENERIC_ALL);
        if (key.SetDword(szBSUStatusValue, 2) != 0) {
            std::fprintf(stderr, "bench_registry: cannot write the store %s\n", g_store.c_str());
            return 1;
        }
    }
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "BM_KeyOpenQueryDwordClose / BM_RawSqliteSelect", "BM_KeyOpenQueryDwordClose",
                             "BM_RawSqliteSelect");
    benchsupport::PrintRatio(t, "BM_SetDword / BM_RawSqliteUpdate", "BM_SetDword", "BM_RawSqliteUpdate");
    return 0;
}
