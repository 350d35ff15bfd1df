#include "CallMetrics.h"

#include <json/json.h>

#include <cstdio>

#include "MetricsText.h"

namespace {

const char kOther[] = "other";
const char kMoveCard[] = "send_to_parts";

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.9g", seconds);
    return text;
}

}  // namespace

CallMetrics::CallMetrics(const std::vector<std::string>& methods) {
    for (const std::string& method : methods) {
        mHistograms.push_back(std::make_unique<Histogram>());
        mHistograms.back()->method = method;
    }
    mHistograms.push_back(std::make_unique<Histogram>());
    mHistograms.back()->method = kOther;
}

std::string_view CallMetrics::MethodOf(const std::string& argsJson) const {
    thread_local std::unique_ptr<Json::CharReader> reader(
        Json::CharReaderBuilder().newCharReader());
    Json::Value args;
    try {
        if (!reader->parse(argsJson.data(), argsJson.data() + argsJson.size(), &args, nullptr) ||
            !args.isObject()) {
            return kOther;
        }
    } catch (const std::exception&) {
        return kOther;
    }
    const Json::Value& funccode = args["funccode"];
    if (!funccode.isString()) return kOther;
    const std::string name = funccode.asString();
    for (const auto& histogram : mHistograms) {
        if (histogram->method == name) return histogram->method;
    }
    return kOther;
}

CallMetrics::Histogram& CallMetrics::HistogramOf(std::string_view method) {
    for (const auto& histogram : mHistograms) {
        if (histogram->method == method) return *histogram;
    }
    return *mHistograms.back();
}

void CallMetrics::CountCode(int code) {
    // Open addressing: a slot, once claimed for a code, keeps it.
    if (code != INT_MIN) {
        const size_t start = static_cast<unsigned>(code) % kCodeSlots;
        for (size_t probe = 0; probe < kCodeSlots; ++probe) {
            CodeSlot& slot = mCodes[(start + probe) % kCodeSlots];
            int held = slot.code.load(std::memory_order_acquire);
            // On failure held becomes the code another thread claimed the slot for.
            if (held == INT_MIN && slot.code.compare_exchange_strong(held, code)) held = code;
            if (held == code) {
                slot.count.fetch_add(1, std::memory_order_relaxed);
                return;
            }
        }
    }
    mOtherCodes.fetch_add(1, std::memory_order_relaxed);
}

void CallMetrics::Record(std::string_view method, std::chrono::nanoseconds took, int code) {
    Histogram& histogram = HistogramOf(method);
    const double seconds = std::chrono::duration<double>(took).count();
    size_t bucket = 0;
    while (bucket < kBuckets.size() && seconds > kBuckets[bucket]) ++bucket;
    histogram.buckets[bucket].fetch_add(1, std::memory_order_relaxed);
    histogram.nanoseconds.fetch_add(static_cast<uint64_t>(took.count() > 0 ? took.count() : 0),
                                    std::memory_order_relaxed);
    if (code != 0) CountCode(code);
    if (code == 0 && method == kMoveCard) mCardsMoved.fetch_add(1, std::memory_order_relaxed);
}

void CallMetrics::Render(std::string& out) const {
    AppendFamily(out, "devhttpd_sdk_call_duration_seconds", "histogram",
                 "Duration of SDK method calls, by the method the call ran.");
    for (const auto& histogram : mHistograms) {
        const std::string label = "method=\"" + EscapeLabel(histogram->method) + "\"";
        uint64_t cumulative = 0;
        for (size_t i = 0; i <= kBuckets.size(); ++i) {
            cumulative += histogram->buckets[i].load(std::memory_order_relaxed);
            const std::string le = i < kBuckets.size() ? Seconds(kBuckets[i]) : "+Inf";
            out += "devhttpd_sdk_call_duration_seconds_bucket{" + label + ",le=\"" + le + "\"} " +
                   std::to_string(cumulative) + "\n";
        }
        const double sum =
            static_cast<double>(histogram->nanoseconds.load(std::memory_order_relaxed)) / 1e9;
        out += "devhttpd_sdk_call_duration_seconds_sum{" + label + "} " + Seconds(sum) + "\n";
        out += "devhttpd_sdk_call_duration_seconds_count{" + label + "} " +
               std::to_string(cumulative) + "\n";
    }
    AppendFamily(out, "devhttpd_device_errors_total", "counter",
                 "SDK method calls that ended with a result code other than 0, by code.");
    for (const CodeSlot& slot : mCodes) {
        const int code = slot.code.load(std::memory_order_acquire);
        if (code == INT_MIN) continue;
        out += "devhttpd_device_errors_total{code=\"" + std::to_string(code) + "\"} " +
               std::to_string(slot.count.load(std::memory_order_relaxed)) + "\n";
    }
    const uint64_t others = mOtherCodes.load(std::memory_order_relaxed);
    if (others > 0) {
        out += "devhttpd_device_errors_total{code=\"other\"} " + std::to_string(others) + "\n";
    }
    AppendFamily(out, "devhttpd_cards_moved_total", "counter", "Successful send_to_parts calls.");
    out += "devhttpd_cards_moved_total " +
           std::to_string(mCardsMoved.load(std::memory_order_relaxed)) + "\n";
}
