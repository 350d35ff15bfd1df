// Counts of SDK method calls: durations as a histogram by method, non-zero
// result codes by code, and cards moved. Calls run on the device worker and,
// for heart_beat, on the network thread, so every count is an atomic updated
// without a lock; the set of counters is fixed when the object is made.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CallMetrics {
  public:
    // Upper bounds of the duration buckets, in seconds.
    static constexpr std::array<double, 13> kBuckets = {
        0.0001, 0.0005, 0.001, 0.005, 0.01, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};
    // Distinct result codes counted one by one; others share the label "other".
    static constexpr size_t kCodeSlots = 256;

    // methods: the SDK's method names; any other funccode is counted as "other".
    explicit CallMetrics(const std::vector<std::string>& methods);
    CallMetrics(const CallMetrics&) = delete;
    CallMetrics& operator=(const CallMetrics&) = delete;

    // The method an argument document's "funccode" names, as it is counted.
    std::string_view MethodOf(const std::string& argsJson) const;
    // From any thread.
    void Record(std::string_view method, std::chrono::nanoseconds took, int code);

    void Render(std::string& out) const;

  private:
    struct Histogram {
        std::string method;
        std::array<std::atomic<uint64_t>, kBuckets.size() + 1> buckets{};  // last: +Inf
        std::atomic<uint64_t> nanoseconds{0};
    };
    struct CodeSlot {
        std::atomic<int> code{INT_MIN};  // INT_MIN: free
        std::atomic<uint64_t> count{0};
    };

    Histogram& HistogramOf(std::string_view method);
    void CountCode(int code);

    std::vector<std::unique_ptr<Histogram>> mHistograms;  // the methods, then "other"
    std::array<CodeSlot, kCodeSlots> mCodes{};
    std::atomic<uint64_t> mOtherCodes{0};
    std::atomic<uint64_t> mCardsMoved{0};
};
