// The object database's costs, each against a baseline measured in the same run:
// - a property write with one listener on the main thread, against
//   GObject's g_object_set of an integer property with a "notify" handler;
// - cross-thread delivery: four writer threads, 100,000 writes in all, every
//   change heard on the main thread (through the database's 200 ms timer
//   while it pumps): events per second and the largest delay from write to
//   delivery, against the same values handed to the main thread through a
//   std::mutex-guarded queue and a condition variable;
// - 100,000 objects with four value properties: bytes per object (and per
//   object in the indexes), and AddNewObject per object against inserting as
//   many keys into a std::map;
// - making (and taking down) a database, the start-up cost of the program's.
// The shared acquire and release of cmReaderWriterLock against
// std::shared_mutex is in bench_locks_messages.
// bench-layers: objdb
#include "CustomCode/Common/cmWaitForEvents.h"
#include "bench/support/BenchRun.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectEvents.h"
#include "objdb/pjObjectImpl.h"
#include "objdb/pjSimpleObject.h"
#include "platform/dbghelp/HeapCheck.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"

#include <benchmark/benchmark.h>
#include <glib-object.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kValueId = 0x1;

VARIANT I4(LONG n)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}

cmRefPtr<pjSimpleObject> NewObject(int nProperties)
{
    cmRefPtr<pjSimpleObject> o(new pjSimpleObject());
    for (int i = 0; i < nProperties; ++i)
        o->AddValueProperty(kValueId + static_cast<DWORD>(i), I4(i), cmString(), cmString());
    return o;
}

// ------------------------------------------------------------ one write, one listener

class Counter : public pjObjectEvents {
public:
    void OnChangedProperty(pjObject*, DWORD, const VARIANT& v) override { last = v.lVal; }
    LONG last = 0;
};

void BM_PropertyWriteWithListener(benchmark::State& state)
{
    pjObjectDatabase* db = GetObjectDatabase();
    auto o = NewObject(1);
    Counter listener;
    db->xRegisterForObjectChangeEvents(&listener, o.Get());
    LONG n = 0;
    for (auto _ : state)
        pjObjectImpl::SetProperty(o.Get(), kValueId, I4(++n));
    if (listener.last != n)
        state.SkipWithError("a change was not heard");
    db->UnregisterForObjectChangeEvents(&listener, o.Get());
}
BENCHMARK(BM_PropertyWriteWithListener);

struct BenchObject {
    GObject parent;
    int value;
};
struct BenchObjectClass {
    GObjectClass parent_class;
};

void BenchSetProperty(GObject* o, guint, const GValue* v, GParamSpec*)
{
    reinterpret_cast<BenchObject*>(o)->value = g_value_get_int(v);
}
void BenchGetProperty(GObject* o, guint, GValue* v, GParamSpec*)
{
    g_value_set_int(v, reinterpret_cast<BenchObject*>(o)->value);
}
void BenchClassInit(gpointer klass, gpointer)
{
    GObjectClass* oc = G_OBJECT_CLASS(klass);
    oc->set_property = BenchSetProperty;
    oc->get_property = BenchGetProperty;
    g_object_class_install_property(
        oc, 1, g_param_spec_int("value", "value", "value", G_MININT, G_MAXINT, 0, G_PARAM_READWRITE));
}
GType BenchObjectType()
{
    static const GType type = g_type_register_static_simple(G_TYPE_OBJECT, "BenchObject", sizeof(BenchObjectClass),
                                                            BenchClassInit, sizeof(BenchObject), nullptr, GTypeFlags(0));
    return type;
}
void OnNotify(GObject* o, GParamSpec*, gpointer data)
{
    *static_cast<int*>(data) = reinterpret_cast<BenchObject*>(o)->value;
}

void BM_GObjectSetWithNotify(benchmark::State& state)
{
    GObject* o = static_cast<GObject*>(g_object_new(BenchObjectType(), nullptr));
    int last = 0;
    g_signal_connect(o, "notify::value", G_CALLBACK(OnNotify), &last);
    int n = 0;
    for (auto _ : state)
        g_object_set(o, "value", ++n, nullptr);
    if (last != n)
        state.SkipWithError("a notification was lost");
    g_object_unref(o);
}
BENCHMARK(BM_GObjectSetWithNotify);

// ------------------------------------------------------------ cross-thread delivery

constexpr int kWriters = 4;
constexpr int kTotalWrites = 100000;

struct Delivery {
    double eventsPerSecond = 0;
    double maxDelayMs = 0;
};

// Hears the writes on the main thread and notes when each arrived.
class DeliveryLog : public pjObjectEvents {
public:
    explicit DeliveryLog(std::vector<Clock::time_point>& written)
        : m_written(written), m_hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~DeliveryLog() override { CloseHandle(m_hDone); }
    void OnChangedProperty(pjObject*, DWORD, const VARIANT& v) override
    {
        const Clock::time_point now = Clock::now();
        maxDelay = std::max(maxDelay, now - m_written[static_cast<std::size_t>(v.lVal)]);
        last = now;
        if (++heard == kTotalWrites)
            SetEvent(m_hDone);
    }
    HANDLE Done() const { return m_hDone; }

    int heard = 0;
    Clock::duration maxDelay{};
    Clock::time_point last;

private:
    std::vector<Clock::time_point>& m_written;
    HANDLE m_hDone;
};

Delivery DeliverThroughTheDatabase()
{
    pjObjectDatabase* db = GetObjectDatabase();
    std::vector<cmRefPtr<pjSimpleObject>> objects;
    std::vector<Clock::time_point> written(kTotalWrites);
    DeliveryLog log(written);
    for (int w = 0; w < kWriters; ++w) {
        objects.push_back(NewObject(1));
        db->xRegisterForObjectChangeEvents(&log, objects.back().Get());
    }
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int i = w; i < kTotalWrites; i += kWriters) {
                written[static_cast<std::size_t>(i)] = Clock::now();
                pjObjectImpl::SetProperty(objects[static_cast<std::size_t>(w)].Get(), kValueId, I4(i));
            }
        });
    }
    // The main thread pumps; the database's timer hands it the queued changes.
    cmWaitForEvents wait;
    const bool done = wait.WaitOne(log.Done(), 120000, true) == 0;
    for (auto& t : writers)
        t.join();
    for (auto& o : objects)
        db->UnregisterForObjectChangeEvents(&log, o.Get());
    Delivery d;
    if (done) {
        d.eventsPerSecond = kTotalWrites / std::chrono::duration<double>(log.last - start).count();
        d.maxDelayMs = std::chrono::duration<double, std::milli>(log.maxDelay).count();
    }
    return d;
}

Delivery DeliverThroughAQueue()
{
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<int> queue;
    std::vector<Clock::time_point> written(kTotalWrites);
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int i = w; i < kTotalWrites; i += kWriters) {
                written[static_cast<std::size_t>(i)] = Clock::now();
                std::lock_guard<std::mutex> g(lock);
                queue.push_back(i);
                arrived.notify_one();
            }
        });
    }
    Clock::duration maxDelay{};
    int heard = 0;
    Clock::time_point last;
    while (heard < kTotalWrites) {
        std::unique_lock<std::mutex> g(lock);
        arrived.wait(g, [&] { return !queue.empty(); });
        while (!queue.empty()) {
            const int i = queue.front();
            queue.pop_front();
            last = Clock::now();
            maxDelay = std::max(maxDelay, last - written[static_cast<std::size_t>(i)]);
            ++heard;
        }
    }
    for (auto& t : writers)
        t.join();
    return {kTotalWrites / std::chrono::duration<double>(last - start).count(),
            std::chrono::duration<double, std::milli>(maxDelay).count()};
}

template <Delivery (*Deliver)()>
void BM_CrossThread(benchmark::State& state)
{
    Delivery worst{1e300, 0};
    for (auto _ : state) {
        const Delivery d = Deliver();
        if (d.eventsPerSecond == 0) {
            state.SkipWithError("not every change was delivered within 120 s");
            return;
        }
        worst.eventsPerSecond = std::min(worst.eventsPerSecond, d.eventsPerSecond);
        worst.maxDelayMs = std::max(worst.maxDelayMs, d.maxDelayMs);
    }
    state.counters["events_per_s"] = worst.eventsPerSecond;
    state.counters["max_delay_ms"] = worst.maxDelayMs;
}
BENCHMARK_TEMPLATE(BM_CrossThread, DeliverThroughTheDatabase)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_CrossThread, DeliverThroughAQueue)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// ------------------------------------------------------------ start-up

// What the program's start-up pays for the database: its timer (and the
// thread's message queue), the main-thread handle and the scrubber's events,
// against the process start of a program that only reads the store (about
// 4 ms, bench_gui_startup).
void BM_CreateDatabase(benchmark::State& state)
{
    for (auto _ : state) {
        pjObjectDatabaseImpl db;
        benchmark::DoNotOptimize(&db);
    }
}
BENCHMARK(BM_CreateDatabase)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------------ many objects

constexpr int kObjects = 100000;

void BM_AddNewObject(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<cmRefPtr<pjSimpleObject>> objects;
        objects.reserve(kObjects);
        for (int i = 0; i < kObjects; ++i)
            objects.push_back(NewObject(4));
        auto db = std::make_unique<pjObjectDatabaseImpl>();
        state.ResumeTiming();
        for (const auto& o : objects)
            db->AddNewObject(o.Get(), "Bench");
        state.PauseTiming();
        db.reset();
        objects.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_AddNewObject)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StdMapInsert(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<cmRefPtr<pjSimpleObject>> objects;
        objects.reserve(kObjects);
        for (int i = 0; i < kObjects; ++i)
            objects.push_back(NewObject(4));
        std::map<pjObject*, DWORD> map;
        state.ResumeTiming();
        DWORD n = 0;
        for (const auto& o : objects)
            map.emplace(o.Get(), ++n);
        benchmark::DoNotOptimize(map);
        state.PauseTiming();
        map.clear();
        objects.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(BM_StdMapInsert)->Unit(benchmark::kMillisecond)->UseRealTime();

void PrintMemoryPerObject()
{
    std::vector<cmRefPtr<pjSimpleObject>> objects;
    objects.reserve(kObjects);
    const std::size_t withVector = platform::HeapBytesInUse();
    for (int i = 0; i < kObjects; ++i)
        objects.push_back(NewObject(4));
    const std::size_t withObjects = platform::HeapBytesInUse();
    {
        pjObjectDatabaseImpl db;
        for (const auto& o : objects)
            db.AddNewObject(o.Get(), "Bench");
        const std::size_t indexed = platform::HeapBytesInUse();
        std::printf("memory: %.0f bytes per object with four value properties, %.0f more per object in the indexes\n",
                    double(withObjects - withVector) / kObjects, double(indexed - withObjects) / kObjects);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The database belongs to this thread, which pumps its messages in the
    // cross-thread measurement.
    GetObjectDatabase();
    const benchsupport::Timings t = benchsupport::RunBenchmarks(argc, argv);
    benchsupport::PrintRatio(t, "property write with one listener / g_object_set with a notify handler",
                             "BM_PropertyWriteWithListener", "BM_GObjectSetWithNotify");
    benchsupport::PrintRatio(t, "cross-thread delivery of 100,000 writes, time / mutex-and-queue hand-over",
                             "BM_CrossThread<DeliverThroughTheDatabase>/iterations:3/real_time",
                             "BM_CrossThread<DeliverThroughAQueue>/iterations:3/real_time");
    benchsupport::PrintRatio(t, "AddNewObject / std::map insertion, per object (100,000)",
                             "BM_AddNewObject/real_time", "BM_StdMapInsert/real_time");
    PrintMemoryPerObject();
    return 0;
}
