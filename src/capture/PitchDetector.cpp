#include "capture/PitchDetector.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "foundation/ErrorReport.h"

namespace {

constexpr uint16_t kValueBits = 16;
constexpr uint32_t kValueBytes = 2;
// The lag methods need this many longest lags of filtered values. Two would
// do (a window of one longest lag against values up to one longest lag
// earlier) and tell a note 15 ms sooner, but the attack then weighs more and
// plucked notes are misread more often.
constexpr int kBlockLags = 3;
// Share of the largest extreme (or height) that a peak (or move) must reach.
constexpr float kPeakShare = 0.7f;
// Share of the overall extremes that a block extreme must pass.
constexpr double kBlockExtremeShare = 0.8;
// Intervals spread wider than this share of their mean are thinned.
constexpr double kIntervalSpread = 0.05;
// A block whose values span no more than this is silence.
constexpr int kSilentSpan = 2;
// A difference dip counts when it lies within this share of the curve's
// range above the deepest dip; the first such dip is the period, which keeps
// multiples of the period (just as deep) from winning.
constexpr double kDipTolerance = 0.15;
// A key maximum of the NSDF counts when it reaches this share of the highest.
constexpr double kKeyMaximumShare = 0.9;
// Absolute differences of 16-bit values (at most 65535) summed in 32 bits.
constexpr int kDifferenceChunk = 0x7FFF;
// One debug line (the debug output ends lines itself).
constexpr const char* kNoBestLag = "No best samples in CPitchDetector::FastAutoCorr";

int16_t ValueAt(const uint8_t* bytes, size_t index) {
    int16_t value = 0;
    std::memcpy(&value, bytes + index * kValueBytes, kValueBytes);
    return value;
}

// Sum of the channels' values of one frame.
int64_t FrameSum(const uint8_t* bytes, size_t frame, int channels) {
    int64_t sum = 0;
    const size_t first = frame * static_cast<size_t>(channels);
    for (int c = 0; c < channels; ++c) {
        sum += ValueAt(bytes, first + static_cast<size_t>(c));
    }
    return sum;
}

// True when the values vary by no more than the silent span.
bool IsSilent(const int16_t* values, int count) {
    if (count <= 0) {
        return true;
    }
    const auto range = std::minmax_element(values, values + count);
    return *range.second - *range.first <= kSilentSpan;
}

// Σ |a[i] − b[i]|; 32-bit sums over chunks small enough not to overflow
// keep the inner loop vectorisable.
int64_t AbsoluteDifferences(const int16_t* a, const int16_t* b, int count) {
    int64_t total = 0;
    for (int start = 0; start < count; start += kDifferenceChunk) {
        const int end = std::min(count, start + kDifferenceChunk);
        int32_t sum = 0;
        for (int i = start; i < end; ++i) {
            sum += std::abs(static_cast<int32_t>(a[i]) - b[i]);
        }
        total += sum;
    }
    return total;
}

// Offset of the bottom of a V through three equally spaced points whose
// middle one is the lowest; a V fits the tip of a difference of absolute
// values better than a parabola does.
double VertexOffset(double left, double middle, double right) {
    const double slope = std::max(left - middle, right - middle);
    if (slope <= 0.0) {
        return 0.0;
    }
    return std::clamp((left - right) / (2.0 * slope), -0.5, 0.5);
}

// Offset of the top of the parabola through three equally spaced points.
double ParabolaOffset(double left, double middle, double right) {
    const double curvature = left - 2.0 * middle + right;
    if (curvature >= 0.0) {
        return 0.0;
    }
    return std::clamp((left - right) / (2.0 * curvature), -0.5, 0.5);
}

bool IsZeroCrossing(int16_t previous, int16_t value) {
    return (previous > 0 && value <= 0) || (previous < 0 && value >= 0);
}

bool IsExtreme(const int16_t* values, int i) {
    const int16_t v = values[i];
    const bool maximum = v > values[i - 1] && v >= values[i + 1];
    const bool minimum = v < values[i - 1] && v <= values[i + 1];
    return maximum || minimum;
}

}  // namespace

CPitchDetector::CPitchDetector() : m_work(kCapacity, 0) {}

bool CPitchDetector::SetUp(const WAVE_FORMAT& format, int method, bool lowRange) {
    m_error.Empty();
    if (format.bitsPerSample != kValueBits) {
        m_error.Format("Can't detect pitch in %u-bit sound, only in 16-bit",
                       static_cast<unsigned>(format.bitsPerSample));
        return false;
    }
    if (format.channels == 0 || format.samplesPerSecond == 0 ||
        format.blockAlign != format.channels * kValueBytes) {
        m_error.Format("Can't detect pitch in a format of %u channels at %u Hz",
                       static_cast<unsigned>(format.channels),
                       static_cast<unsigned>(format.samplesPerSecond));
        return false;
    }
    m_format = format;
    m_method = method;
    m_lowRange = lowRange;
    m_count = 0;
    return true;
}

CPitchDetector::LAG_RANGE CPitchDetector::LagsAt(int rate) const {
    const double highest = m_lowRange ? kLowHighest : kNormalHighest;
    const double lowest = m_lowRange ? kLowLowest : kNormalLowest;
    LAG_RANGE lags;
    lags.shortest = static_cast<int>(rate / highest);
    lags.longest = static_cast<int>(rate / lowest);
    return lags;
}

int CPitchDetector::FilterWidth() const {
    return std::max(1, LagsAt(static_cast<int>(m_format.samplesPerSecond)).shortest);
}

uint32_t CPitchDetector::GetMinimumFrames() const {
    const LAG_RANGE lags = LagsAt(static_cast<int>(m_format.samplesPerSecond));
    return static_cast<uint32_t>(kBlockLags * lags.longest + FilterWidth() + 1);
}

bool CPitchDetector::Detect(const uint8_t* bytes, uint32_t count, double& frequency) {
    frequency = 0.0;
    m_error.Empty();
    if (m_format.channels == 0) {
        m_error = "Can't detect pitch before the capture format is set";
        return false;
    }
    if (!Filter(bytes, count)) {
        return false;
    }
    return RunMethod(frequency);
}

// Moving average one period of the highest frequency wide over all the
// channels' values: a low-pass filter that also mixes to one channel.
bool CPitchDetector::Filter(const uint8_t* bytes, uint32_t count) {
    m_count = 0;
    const int width = FilterWidth();
    const int channels = m_format.channels;
    const int64_t frames = count / m_format.blockAlign;
    const int64_t values = frames - width;
    if (bytes == nullptr || values <= 0 || values * channels > kCapacity) {
        return false;
    }
    const int64_t divisor = static_cast<int64_t>(width) * channels;
    int64_t sum = 0;
    for (int f = 0; f < width; ++f) {
        sum += FrameSum(bytes, static_cast<size_t>(f), channels);
    }
    for (int64_t i = 0; i < values; ++i) {
        m_work[static_cast<size_t>(i)] = static_cast<int16_t>(sum / divisor);
        sum += FrameSum(bytes, static_cast<size_t>(i + width), channels) -
               FrameSum(bytes, static_cast<size_t>(i), channels);
    }
    m_count = static_cast<int>(values);
    return true;
}

bool CPitchDetector::RunMethod(double& frequency) {
    const int rate = static_cast<int>(m_format.samplesPerSecond);
    const int16_t* values = m_work.data();
    switch (m_method) {
        case kZeroCrossings:
            return ZeroCrossingMoves(values, m_count, rate, frequency);
        case kBlockExtremes:
            return BlockExtremes(values, m_count, frequency);
        case kThresholdPeaks:
            return ThresholdPeaks(values, m_count, rate, frequency);
        case kFastAutoCorr:
            return FastAutoCorr(values, m_count, rate, frequency);
        case kNormalisedDifference:
            return NormalisedDifference(values, m_count, rate, frequency);
        case kNoMethod:
            return true;
        default:
            return false;
    }
}

// Method 4: mean absolute difference between the latest values and those a
// lag L earlier; the first deep dip over the lag range is the period, refined
// between lags by the tip of a V.
bool CPitchDetector::FastAutoCorr(const int16_t* values, int count, int rate, double& frequency) {
    frequency = 0.0;
    if (values == nullptr || rate <= 0) {
        return false;
    }
    const LAG_RANGE lags = LagsAt(rate);
    if (count < kBlockLags * lags.longest || count < 2) {
        return false;
    }
    if (lags.shortest > lags.longest || lags.shortest < 1) {
        WriteTraceLine(kNoBestLag);  // the log only: it may come many times a second
        return true;
    }
    // One lag either side of the range for the refinement.
    const int first = std::max(1, lags.shortest - 1);
    const int window = std::max(lags.longest, 1);
    const int last = std::min(lags.longest + 1, count - window);
    if (IsSilent(values + count - window - last, window + last)) {
        return true;
    }
    ComputeDifferences(values, count, first, last, window);
    const int best = ChooseDifferenceLag(first, lags.shortest, std::min(lags.longest, last));
    if (best <= 0) {
        WriteTraceLine(kNoBestLag);  // the log only: it may come many times a second
        return true;
    }
    // Identical windows (a difference of 0) repeat exactly at the lag itself.
    double lag = best;
    const double* d = m_curve.data() + (best - first);
    if (best > first && best < last && d[0] > 0.0) {
        lag += VertexOffset(d[-1], d[0], d[1]);
    }
    frequency = rate / lag;
    return true;
}

// m_curve[L - first] = (1 / W) Σ |x[n − W − L + i] − x[n − W + i]|, i < W:
// the last W values against those L earlier. A fixed window of one longest
// lag spans a whole period of every note in the range, so the curve is smooth;
// a window of L values would cover only part of a long period at short lags
// and ripple into false dips there.
void CPitchDetector::ComputeDifferences(const int16_t* values, int count, int first, int last,
                                        int window) {
    m_curve.assign(static_cast<size_t>(last - first + 1), 0.0);
    const int16_t* newer = values + count - window;
    for (int lag = first; lag <= last; ++lag) {
        const int16_t* older = newer - lag;
        m_curve[static_cast<size_t>(lag - first)] =
            static_cast<double>(AbsoluteDifferences(older, newer, window)) / window;
    }
}

// The first local minimum in [shortest, longest] within the tolerance of
// the deepest; 0 when the curve is flat.
int CPitchDetector::ChooseDifferenceLag(int first, int shortest, int longest) const {
    const auto at = [&](int lag) { return m_curve[static_cast<size_t>(lag - first)]; };
    double lowest = at(shortest);
    double highest = lowest;
    for (int lag = shortest; lag <= longest; ++lag) {
        lowest = std::min(lowest, at(lag));
        highest = std::max(highest, at(lag));
    }
    if (highest <= lowest) {
        return 0;
    }
    const double limit = lowest + kDipTolerance * (highest - lowest);
    const int last = first + static_cast<int>(m_curve.size()) - 1;
    for (int lag = shortest; lag <= longest; ++lag) {
        const double d = at(lag);
        const bool leftHigher = lag == first || at(lag - 1) > d;
        const bool rightNotLower = lag == last || at(lag + 1) >= d;
        if (d <= limit && leftHigher && rightNotLower) {
            return lag;
        }
    }
    return 0;
}

// Method 5: normalised square difference n(τ) = 2 r(τ) / m(τ); the first key
// maximum near the highest one gives the period.
bool CPitchDetector::NormalisedDifference(const int16_t* values, int count, int rate,
                                          double& frequency) {
    frequency = 0.0;
    if (values == nullptr || rate <= 0) {
        return false;
    }
    const LAG_RANGE lags = LagsAt(rate);
    if (count < kBlockLags * lags.longest || count < 2) {
        return false;
    }
    const int window = std::min(count, kBlockLags * std::max(lags.longest, 1));
    const int16_t* x = values + count - window;
    const int last = std::min(lags.longest + 1, window - 1);
    if (lags.shortest < 1 || lags.shortest > last || IsSilent(x, window)) {
        return true;
    }
    ComputeNsdf(x, window, last);
    const int best = ChooseNsdfLag(lags.shortest, std::min(lags.longest, last - 1));
    if (best <= 0) {
        return true;
    }
    const double* n = m_curve.data() + best;
    const double lag = best + ParabolaOffset(n[-1], n[0], n[1]);
    if (lag > 0.0) {
        frequency = rate / lag;
    }
    return true;
}

// m_curve[τ] for τ from 0 to last over window values less their mean, so
// that an offset does not lift the whole curve above zero.
void CPitchDetector::ComputeNsdf(const int16_t* values, int window, int last) {
    m_curve.assign(static_cast<size_t>(last + 1), 0.0);
    const int64_t mean = std::accumulate(values, values + window, int64_t{0}) / window;
    m_centred.resize(static_cast<size_t>(window));
    int64_t energy = 0;
    int32_t* x = m_centred.data();
    for (int j = 0; j < window; ++j) {
        x[j] = static_cast<int32_t>(values[j] - mean);
        energy += static_cast<int64_t>(x[j]) * x[j];
    }
    int64_t m = 2 * energy;
    for (int tau = 0; tau <= last; ++tau) {
        int64_t r = 0;
        for (int j = 0; j + tau < window; ++j) {
            r += static_cast<int64_t>(x[j]) * x[j + tau];
        }
        m_curve[static_cast<size_t>(tau)] = m > 0 ? 2.0 * r / m : 0.0;
        const int end = window - 1 - tau;
        m -= static_cast<int64_t>(x[tau]) * x[tau] + static_cast<int64_t>(x[end]) * x[end];
    }
}

// Key maxima: the highest point of each positive stretch after the curve
// first goes negative; the first in [shortest, longest] reaching the share of
// the highest wins. 0 when there is none.
int CPitchDetector::ChooseNsdfLag(int shortest, int longest) const {
    std::vector<int> keys;
    const int size = static_cast<int>(m_curve.size());
    int tau = 1;
    while (tau < size && m_curve[static_cast<size_t>(tau)] > 0.0) {
        ++tau;
    }
    int top = 0;
    for (; tau < size - 1; ++tau) {
        const double n = m_curve[static_cast<size_t>(tau)];
        if (n > 0.0 && (top == 0 || n > m_curve[static_cast<size_t>(top)])) {
            top = tau;
        } else if (n <= 0.0 && top > 0) {
            keys.push_back(top);
            top = 0;
        }
    }
    if (top > 0 && m_curve[static_cast<size_t>(top)] >= m_curve.back()) {
        keys.push_back(top);
    }
    double highest = 0.0;
    for (int key : keys) {
        if (key >= shortest && key <= longest) {
            highest = std::max(highest, m_curve[static_cast<size_t>(key)]);
        }
    }
    for (int key : keys) {
        if (key >= shortest && key <= longest && highest > 0.0 &&
            m_curve[static_cast<size_t>(key)] >= kKeyMaximumShare * highest) {
            return key;
        }
    }
    return 0;
}

// Method 3: spacing of the peaks beyond 70 % of the larger swing.
bool CPitchDetector::ThresholdPeaks(const int16_t* values, int count, int rate, double& frequency) {
    frequency = 0.0;
    m_peaks.clear();
    if (count <= 0) {
        m_error = "Can't find any peaks";
        return false;
    }
    const auto range = std::minmax_element(values, values + count);
    const int32_t smallest = *range.first;
    const int32_t largest = *range.second;
    const bool negative = std::abs(largest) <= std::abs(smallest);
    const auto threshold =
        static_cast<int32_t>(static_cast<float>(negative ? smallest : largest) * kPeakShare);
    const auto beyond = [&](int32_t v) { return negative ? v <= threshold : v >= threshold; };
    const auto more = [&](int32_t a, int32_t b) { return negative ? a < b : a > b; };
    bool armed = false;
    bool inPeak = false;
    PEAK_INFO peak;
    for (int i = 0; i < count; ++i) {
        const int32_t v = values[i];
        if (!beyond(v)) {
            if (inPeak) {
                m_peaks.push_back(peak);
            }
            armed = true;
            inPeak = false;
        } else if (armed && (!inPeak || more(v, peak.value))) {
            peak.index = i;
            peak.value = v;
            inPeak = true;
        }
    }
    if (inPeak) {
        m_peaks.push_back(peak);
    }
    if (m_peaks.empty()) {
        m_error = "Can't find any peaks";
        return false;
    }
    int64_t spacing = 0;
    for (size_t i = 1; i < m_peaks.size(); ++i) {
        spacing += m_peaks[i].index - m_peaks[i - 1].index;
    }
    const double mean = static_cast<double>(spacing) / static_cast<double>(m_peaks.size());
    int64_t goodSum = 0;
    int goodCount = 0;
    for (size_t i = 1; i < m_peaks.size(); ++i) {
        const int32_t interval = m_peaks[i].index - m_peaks[i - 1].index;
        if (interval >= mean) {
            goodSum += interval;
            ++goodCount;
        }
    }
    if (goodCount == 0 || goodSum <= 0) {
        m_error = "Can't find any good peaks";
        return false;
    }
    frequency = rate / (static_cast<double>(goodSum) / goodCount);
    return true;
}

// Method 2: records each block's extremes beyond 80 % of the overall ones.
bool CPitchDetector::BlockExtremes(const int16_t* values, int count, double& frequency) {
    frequency = 0.0;
    m_peaks.clear();
    const int length = m_blockLength > 0 ? m_blockLength : FilterWidth();
    if (count <= 0) {
        return true;
    }
    const auto range = std::minmax_element(values, values + count);
    const double top = kBlockExtremeShare * *range.second;
    const double bottom = kBlockExtremeShare * *range.first;
    for (int start = 0; start < count; start += length) {
        const int end = std::min(count, start + length);
        const auto block = std::minmax_element(values + start, values + end);
        if (*block.second > top) {
            m_peaks.push_back({static_cast<int32_t>(block.second - values), *block.second});
        }
        if (*block.first < bottom) {
            m_peaks.push_back({static_cast<int32_t>(block.first - values), *block.first});
        }
    }
    return true;
}

// Method 1: spacing of the zero crossings of the large rising (or falling)
// moves between extremes.
bool CPitchDetector::ZeroCrossingMoves(const int16_t* values, int count, int rate,
                                       double& frequency) {
    frequency = 0.0;
    if (count < 3) {
        return false;
    }
    BuildMoves(values, count);
    std::vector<int32_t> intervals;
    MoveIntervals(intervals);
    if (intervals.size() < 2) {
        return true;
    }
    return EvaluateIntervals(intervals, rate, frequency);
}

void CPitchDetector::BuildMoves(const int16_t* values, int count) {
    m_moves.clear();
    int32_t previous = 0;
    int32_t crossing = MOVE_INFO::kNone;
    const auto append = [&](int end) {
        if (crossing != MOVE_INFO::kNone) {
            MOVE_INFO move;
            move.start = previous;
            move.end = end;
            move.height = static_cast<int32_t>(values[end]) - values[previous];
            move.crossing = crossing;
            m_moves.push_back(move);
        }
    };
    for (int i = 1; i < count; ++i) {
        if (IsZeroCrossing(values[i - 1], values[i])) {
            crossing = i;
        }
        if (i >= 2 && i + 1 < count && IsExtreme(values, i)) {
            append(i);
            previous = i;
            crossing = MOVE_INFO::kNone;
        }
    }
    append(count - 1);
}

// Crossing intervals of the stronger of the rising and the falling set.
void CPitchDetector::MoveIntervals(std::vector<int32_t>& intervals) const {
    int32_t largest = 0;
    int32_t smallest = 0;
    for (const MOVE_INFO& move : m_moves) {
        largest = std::max(largest, move.height);
        smallest = std::min(smallest, move.height);
    }
    const auto rise = static_cast<int32_t>(kPeakShare * largest);
    const auto fall = static_cast<int32_t>(kPeakShare * smallest);
    std::vector<int32_t> rising;
    std::vector<int32_t> falling;
    int64_t riseSum = 0;
    int64_t fallSum = 0;
    int32_t lastRise = MOVE_INFO::kNone;
    int32_t lastFall = MOVE_INFO::kNone;
    for (const MOVE_INFO& move : m_moves) {
        if (move.height >= rise) {
            if (lastRise != MOVE_INFO::kNone) {
                rising.push_back(move.crossing - lastRise);
            }
            lastRise = move.crossing;
            riseSum += move.height;
        }
        if (move.height <= fall) {
            if (lastFall != MOVE_INFO::kNone) {
                falling.push_back(move.crossing - lastFall);
            }
            lastFall = move.crossing;
            fallSum += move.height;
        }
    }
    const int64_t riseCount = static_cast<int64_t>(rising.size()) + (lastRise != MOVE_INFO::kNone);
    const int64_t fallCount = static_cast<int64_t>(falling.size()) + (lastFall != MOVE_INFO::kNone);
    const int64_t riseStrength = riseCount > 0 ? riseSum / riseCount : 0;
    const int64_t fallStrength = fallCount > 0 ? fallSum / fallCount : 0;
    intervals = std::llabs(fallStrength) > std::llabs(riseStrength) ? falling : rising;
}

// Mean interval; when they spread widely, the mean of those not above it.
bool CPitchDetector::EvaluateIntervals(const std::vector<int32_t>& intervals, int rate,
                                       double& frequency) {
    if (intervals.empty()) {
        m_error = "No intervals";
        return false;
    }
    const double count = static_cast<double>(intervals.size());
    const double mean = std::accumulate(intervals.begin(), intervals.end(), 0.0) / count;
    double variance = 0.0;
    for (int32_t interval : intervals) {
        variance += (interval - mean) * (interval - mean);
    }
    double chosen = mean;
    if (std::sqrt(variance / count) > kIntervalSpread * mean) {
        double sum = 0.0;
        int kept = 0;
        for (int32_t interval : intervals) {
            if (interval <= mean) {
                sum += interval;
                ++kept;
            }
        }
        if (kept == 0) {
            m_error = "Can't find any good intervals";
            return false;
        }
        chosen = sum / kept;
    }
    if (chosen <= 0.0) {
        m_error = "Can't find any good intervals";
        return false;
    }
    frequency = rate / chosen;
    return true;
}
