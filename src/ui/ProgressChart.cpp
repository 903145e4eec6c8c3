#include "ui/ProgressChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>

#include "foundation/Colors.h"
#include "platform/ImagePainter.h"

namespace {

constexpr const char* kFace = "Sans";
constexpr float kTitleSize = 15.0f;
constexpr float kTextSize = 12.0f;
constexpr float kSmallSize = 10.0f;
constexpr float kEmptySize = 22.0f;
constexpr uint32_t kBackground = 0xFFFFFFFF;
constexpr uint32_t kInk = 0xFF303030;
constexpr uint32_t kFaint = 0xFF707070;
constexpr uint32_t kGrid = 0xFFE2E2E2;
constexpr uint32_t kAxis = 0xFF909090;
constexpr uint32_t kReactionColor = 0xFF2F5FB3;
constexpr uint32_t kStaffLine = 0xFF8A8A8A;
constexpr uint32_t kKeyEdge = 0xFF404040;
constexpr int kPercentSteps = 4;  // grid lines at 0, 25, 50, 75 and 100 %
constexpr double kSecondsPerDay = 86400.0;
constexpr int kNoon = 12;
constexpr float kBarShare = 0.7f;  // of a day's slot
constexpr float kTitleY = 22.0f;
constexpr float kMargin = 12.0f;

// The grand staff: one step per line or space, numbered by natural notes
// (C = 0 of each octave, counted from MIDI note 0).
constexpr int kNotesPerOctave = 12;
constexpr int kStepsPerOctave = 7;
constexpr int kLetterOfPitch[kNotesPerOctave] = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
constexpr bool kBlackPitch[kNotesPerOctave] = {false, true,  false, true,  false, false,
                                               true,  false, true,  false, true,  false};
constexpr float kStepPixels = 4.0f;
constexpr int kMiddleCStep = 35;
constexpr float kStaffTop = 36.0f;  // where the highest note's step lies
// The treble staff, from middle C up, stands this far above the bass staff,
// so that the two read as two staves.
constexpr float kStaffGap = 20.0f;
constexpr int kTrebleLines[] = {37, 39, 41, 43, 45};  // E4 G4 B4 D5 F5
constexpr int kBassLines[] = {25, 27, 29, 31, 33};    // G2 B2 D3 F3 A3
// A sharp's head lies half a white key beside its natural's, on the same
// step: heads this narrow keep clear of each other.
constexpr float kHeadRx = 3.0f;
constexpr float kHeadRy = 2.6f;
constexpr float kLedgerHalf = 5.5f;
// The chart names notes by pitch alone, as the keys of its map are.
constexpr const char* kPitchNames[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                       "F#", "G",  "G#", "A",  "A#", "B"};
constexpr const char* kClefFace = "FreeSerif";
constexpr const char* kTrebleClef = "\xF0\x9D\x84\x9E";  // U+1D11E
constexpr const char* kBassClef = "\xF0\x9D\x84\xA2";    // U+1D122
constexpr int kTrebleClefSize = 40;
constexpr int kBassClefSize = 34;
constexpr int kBlackKeyHeight = 44;
constexpr float kBlackKeyWidth = 8.0f;

int Step(int midiNote) {
    return midiNote / kNotesPerOctave * kStepsPerOctave +
           kLetterOfPitch[midiNote % kNotesPerOctave];
}

float StepY(int step) {
    const float gap = step < kMiddleCStep ? kStaffGap : 0.0f;
    return kStaffTop + static_cast<float>(Step(CProgressChart::kHighestNote) - step) * kStepPixels +
           gap;
}

// The grid step of the reaction axis: the least whole or half second that
// holds the slowest day in kPercentSteps steps.
double SecondsPerStep(double mostSeconds) {
    constexpr double kHalfSecond = 0.5;
    const double raw = mostSeconds / kPercentSteps;
    return std::max(kHalfSecond, std::ceil(raw / kHalfSecond) * kHalfSecond);
}

float PlotWidth() {
    return static_cast<float>(CProgressChart::kPlotRight - CProgressChart::kPlotLeft);
}

float PlotHeight() {
    return static_cast<float>(CProgressChart::kPlotBottom - CProgressChart::kPlotTop);
}

float SlotCentre(size_t slot, size_t slots) {
    return CProgressChart::kPlotLeft + (static_cast<float>(slot) + 0.5f) * PlotWidth() / slots;
}

const char* MonthName(int month) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kMonths[month - 1] : "";
}

}  // namespace

uint32_t CProgressChart::AccuracyColor(double rightFraction) {
    return AccuracyArgb(rightFraction);
}

double CProgressChart::RightFraction(const PRACTICE_NOTE_STATS& stats) {
    if (stats.shown <= 0) {
        return -1.0;
    }
    return std::clamp(static_cast<double>(stats.rightFirstTry) / stats.shown, 0.0, 1.0);
}

std::vector<CHART_DAY> CProgressChart::LastDays(const std::vector<PRACTICE_DAY>& days, double now,
                                                int count) {
    std::map<std::string, const PRACTICE_DAY*> byDay;
    for (const PRACTICE_DAY& day : days) {
        byDay[day.day] = &day;
    }
    const time_t when = static_cast<time_t>(std::floor(now));
    tm today{};
    localtime_r(&when, &today);
    std::vector<CHART_DAY> slots;
    for (int back = count - 1; back >= 0; --back) {
        // Noon of each day, so that a change of summer time moves no day.
        tm local = today;
        local.tm_mday -= back;
        local.tm_hour = kNoon;
        local.tm_min = 0;
        local.tm_sec = 0;
        local.tm_isdst = -1;
        mktime(&local);
        char text[16] = "";
        strftime(text, sizeof(text), "%Y-%m-%d", &local);
        CHART_DAY slot;
        slot.day = text;
        slot.dayOfMonth = local.tm_mday;
        slot.month = local.tm_mon + 1;
        const auto found = byDay.find(slot.day);
        if (found != byDay.end() && found->second->notes > 0) {
            slot.practised = true;
            slot.stats = *found->second;
        }
        slots.push_back(slot);
    }
    return slots;
}

bool CProgressChart::IsBlack(int midiNote) {
    return midiNote >= 0 && kBlackPitch[midiNote % kNotesPerOctave];
}

int CProgressChart::WhiteKeyCount() {
    int count = 0;
    for (int note = kLowestNote; note <= kHighestNote; ++note) {
        count += IsBlack(note) ? 0 : 1;
    }
    return count;
}

float CProgressChart::KeyCentre(int midiNote) {
    // White keys before the note; a black key sits on the edge after the
    // white key below it.
    int whites = 0;
    for (int note = kLowestNote; note < midiNote; ++note) {
        whites += IsBlack(note) ? 0 : 1;
    }
    const float offset = IsBlack(midiNote) ? 0.0f : 0.5f;
    return kKeysLeft + (static_cast<float>(whites) + offset) * kWhiteKeyWidth;
}

bool CProgressChart::Begin(IImagePainter& painter, int height) {
    std::string reason;
    if (!painter.Begin(kWidth, height, reason)) {
        m_error.Format("Can't paint the progress: %s", reason.c_str());
        return false;
    }
    painter.FillRect(0, 0, kWidth, static_cast<float>(height), kBackground);
    return true;
}

bool CProgressChart::End(IImagePainter& painter, std::vector<uint32_t>& argb) {
    std::string reason;
    if (!painter.End(argb, reason)) {
        m_error.Format("Can't paint the progress: %s", reason.c_str());
        return false;
    }
    return true;
}

void CProgressChart::PaintCentred(IImagePainter& painter, float size, float x, float y,
                                  const char* text, uint32_t argb) {
    const float width = painter.MeasureText(kFace, size, text);
    painter.DrawText(kFace, size, x - width / 2, y, text, argb);
}

bool CProgressChart::PaintDays(IImagePainter& painter, const std::vector<PRACTICE_DAY>& days,
                               double now, std::vector<uint32_t>& argb) {
    if (!Begin(painter, kDaysHeight)) {
        return false;
    }
    const std::vector<CHART_DAY> slots = LastDays(days, now);
    double mostSeconds = 0.0;
    bool any = false;
    for (const CHART_DAY& slot : slots) {
        any = any || slot.practised;
        mostSeconds = std::max(mostSeconds, slot.practised ? slot.stats.meanReaction : 0.0);
    }
    CCharString title;
    title.Format("The last %d days", kDays);
    painter.DrawText(kFace, kTitleSize, kMargin, kTitleY, title, kInk);
    PaintDayAxes(painter, mostSeconds);
    PaintDayLabels(painter, slots);
    if (any) {
        PaintBars(painter, slots);
        PaintReactions(painter, slots, mostSeconds);
        PaintDayLegend(painter);
    } else {
        const float middle = kPlotLeft + PlotWidth() / 2;
        PaintCentred(painter, kEmptySize, middle, kPlotTop + PlotHeight() / 2, kNoPractice, kInk);
        PaintCentred(painter, kTextSize, middle, kPlotTop + PlotHeight() / 2 + kEmptySize,
                     "Every note you name in a lesson counts here, day by day.", kFaint);
    }
    return End(painter, argb);
}

void CProgressChart::PaintDayAxes(IImagePainter& painter, double mostSeconds) {
    const double secondsStep = SecondsPerStep(mostSeconds);
    for (int i = 0; i <= kPercentSteps; ++i) {
        const float y = kPlotBottom - PlotHeight() * i / kPercentSteps;
        painter.DrawLine(kPlotLeft, y, kPlotRight, y, 1.0f, i == 0 ? kAxis : kGrid);
        CCharString percent;
        percent.Format("%d%%", 100 * i / kPercentSteps);
        const float width = painter.MeasureText(kFace, kSmallSize, percent);
        painter.DrawText(kFace, kSmallSize, kPlotLeft - 6 - width, y + 4, percent, kInk);
        CCharString seconds;
        seconds.Format("%.1f s", secondsStep * i);
        painter.DrawText(kFace, kSmallSize, kPlotRight + 6, y + 4, seconds, kReactionColor);
    }
    painter.DrawLine(kPlotLeft, kPlotTop, kPlotLeft, kPlotBottom, 1.0f, kAxis);
    painter.DrawLine(kPlotRight, kPlotTop, kPlotRight, kPlotBottom, 1.0f, kReactionColor);
}

void CProgressChart::PaintDayLabels(IImagePainter& painter, const std::vector<CHART_DAY>& slots) {
    for (size_t i = 0; i < slots.size(); ++i) {
        const float x = SlotCentre(i, slots.size());
        CCharString day;
        day.Format("%d", slots[i].dayOfMonth);
        PaintCentred(painter, kSmallSize, x, kPlotBottom + 14, day, kInk);
        // The month under its first day, and under the chart's first day.
        if (i == 0 || slots[i].dayOfMonth == 1) {
            PaintCentred(painter, kSmallSize, x, kPlotBottom + 27, MonthName(slots[i].month),
                         kFaint);
        }
    }
}

void CProgressChart::PaintBars(IImagePainter& painter, const std::vector<CHART_DAY>& slots) {
    const float barWidth = PlotWidth() / slots.size() * kBarShare;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].practised) {
            continue;
        }
        const double share = std::clamp(slots[i].stats.rightFirstTryPercent / 100.0, 0.0, 1.0);
        // A day of no right note still shows a sliver, apart from no practice.
        const float height = std::max(2.0f, static_cast<float>(share) * PlotHeight());
        painter.FillRect(SlotCentre(i, slots.size()) - barWidth / 2, kPlotBottom - height, barWidth,
                         height, AccuracyColor(share));
    }
}

void CProgressChart::PaintReactions(IImagePainter& painter, const std::vector<CHART_DAY>& slots,
                                    double mostSeconds) {
    const double top = SecondsPerStep(mostSeconds) * kPercentSteps;
    const auto yOf = [top](double seconds) {
        return kPlotBottom - static_cast<float>(std::min(seconds / top, 1.0)) * PlotHeight();
    };
    constexpr float kLineWidth = 2.0f;
    constexpr float kDot = 3.0f;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (!slots[i].practised) {
            continue;
        }
        const float x = SlotCentre(i, slots.size());
        const float y = yOf(slots[i].stats.meanReaction);
        // Joined to the day before only when that day was practised too.
        if (i > 0 && slots[i - 1].practised) {
            painter.DrawLine(SlotCentre(i - 1, slots.size()), yOf(slots[i - 1].stats.meanReaction),
                             x, y, kLineWidth, kReactionColor);
        }
        painter.FillEllipse(x, y, kDot, kDot, kReactionColor);
    }
}

void CProgressChart::PaintDayLegend(IImagePainter& painter) {
    const char* const bars = "Right at the first try (%)";
    const char* const line = "Mean reaction (seconds)";
    constexpr float kSwatch = 10.0f;
    constexpr float kGap = 6.0f;
    const float lineWidth = painter.MeasureText(kFace, kTextSize, line);
    const float barsWidth = painter.MeasureText(kFace, kTextSize, bars);
    float x = kWidth - kMargin - lineWidth - kSwatch * 2 - kGap;
    const float y = kTitleY - kSwatch;
    painter.DrawLine(x, y + kSwatch / 2, x + kSwatch * 2, y + kSwatch / 2, 2.0f, kReactionColor);
    painter.DrawText(kFace, kTextSize, x + kSwatch * 2 + kGap, kTitleY, line, kInk);
    x -= barsWidth + kSwatch + kGap * 4;
    // The bars take the colour of their day's accuracy: the swatch shows
    // the scale from missed to right.
    painter.FillRect(x, y, kSwatch / 3, kSwatch, AccuracyColor(0.0));
    painter.FillRect(x + kSwatch / 3, y, kSwatch / 3, kSwatch, AccuracyColor(0.5));
    painter.FillRect(x + 2 * kSwatch / 3, y, kSwatch / 3, kSwatch, AccuracyColor(1.0));
    painter.DrawText(kFace, kTextSize, x + kSwatch + kGap, kTitleY, bars, kInk);
}

bool CProgressChart::PaintNotes(IImagePainter& painter,
                                const std::vector<PRACTICE_NOTE_STATS>& stats,
                                std::vector<uint32_t>& argb) {
    if (!Begin(painter, kNotesHeight)) {
        return false;
    }
    painter.DrawText(kFace, kTitleSize, kMargin, kTitleY, "Notes right at the first try", kInk);
    PaintStaff(painter);
    std::vector<double> fractions(kHighestNote - kLowestNote + 1, -1.0);
    bool any = false;
    for (const PRACTICE_NOTE_STATS& note : stats) {
        const double fraction = RightFraction(note);
        if (note.midiNote < kLowestNote || note.midiNote > kHighestNote || fraction < 0.0) {
            continue;
        }
        any = true;
        fractions[static_cast<size_t>(note.midiNote - kLowestNote)] = fraction;
        PaintStaffNote(painter, note.midiNote, AccuracyColor(fraction));
    }
    if (!any) {
        PaintCentred(painter, kEmptySize, kWidth / 2.0f, StepY(kMiddleCStep) + kEmptySize / 3,
                     kNoPractice, kInk);
    }
    PaintKeys(painter, fractions);
    PaintNoteLegend(painter);
    return End(painter, argb);
}

void CProgressChart::PaintStaff(IImagePainter& painter) {
    const float right = kKeysLeft + static_cast<float>(WhiteKeyCount() * kWhiteKeyWidth);
    for (const int* lines : {kTrebleLines, kBassLines}) {
        for (size_t i = 0; i < std::size(kTrebleLines); ++i) {
            const float y = StepY(lines[i]);
            painter.DrawLine(kKeysLeft, y, right, y, 1.0f, kStaffLine);
        }
    }
    painter.DrawLine(kKeysLeft, StepY(kTrebleLines[4]), kKeysLeft, StepY(kBassLines[0]), 1.5f,
                     kStaffLine);
    painter.DrawText(kFace, kTextSize, kMargin, StepY(kTrebleLines[2]) + 4, "Treble", kInk);
    painter.DrawText(kFace, kTextSize, kMargin, StepY(kBassLines[2]) + 4, "Bass", kInk);
    // The clefs at the staves' start: the G clef's curl round the G line,
    // the F clef's dots either side of the F line. No note is drawn there:
    // the notes of the staves lie further right, over their keys.
    painter.DrawText(kClefFace, kTrebleClefSize, kKeysLeft + 3, StepY(kTrebleLines[0]) + 9,
                     kTrebleClef, kInk);
    painter.DrawText(kClefFace, kBassClefSize, kKeysLeft + 3, StepY(kBassLines[4]) + 21, kBassClef,
                     kInk);
}

WINDOW_RECT CProgressChart::DotRect(int midiNote) {
    // A little more than the head, so that the pointer finds it easily.
    constexpr int kReach = 2;
    const int x = static_cast<int>(std::lround(KeyCentre(midiNote) - kHeadRx)) - kReach;
    const int y = static_cast<int>(std::lround(StepY(Step(midiNote)) - kHeadRy)) - kReach;
    return WINDOW_RECT{x, y, static_cast<int>(2 * kHeadRx) + 2 * kReach + 1,
                       static_cast<int>(2 * kHeadRy) + 2 * kReach + 1};
}

WINDOW_RECT CProgressChart::KeyRect(int midiNote) {
    if (IsBlack(midiNote)) {
        const int left = static_cast<int>(std::lround(KeyCentre(midiNote) - kBlackKeyWidth / 2));
        return WINDOW_RECT{left, kKeysTop, static_cast<int>(kBlackKeyWidth), kBlackKeyHeight};
    }
    const int left = static_cast<int>(std::lround(KeyCentre(midiNote) - kWhiteKeyWidth / 2.0f));
    return WINDOW_RECT{left, kKeysTop, kWhiteKeyWidth, kWhiteKeyHeight};
}

std::vector<PICTURE_TIP> CProgressChart::NoteTips(const std::vector<PRACTICE_NOTE_STATS>& stats) {
    constexpr double kPercent = 100.0;
    std::vector<PICTURE_TIP> dots;
    std::vector<PICTURE_TIP> blackKeys;
    std::vector<PICTURE_TIP> whiteKeys;
    for (const PRACTICE_NOTE_STATS& note : stats) {
        const double fraction = RightFraction(note);
        if (note.midiNote < kLowestNote || note.midiNote > kHighestNote || fraction < 0.0) {
            continue;
        }
        char text[160];
        std::snprintf(
            text, sizeof(text), "%s%d: %d %s, %ld%% right at the first try, %.1f s on average",
            kPitchNames[note.midiNote % kNotesPerOctave], note.midiNote / kNotesPerOctave - 1,
            note.shown, note.shown == 1 ? "note" : "notes", std::lround(fraction * kPercent),
            note.meanReaction);
        dots.push_back({DotRect(note.midiNote), text});
        (IsBlack(note.midiNote) ? blackKeys : whiteKeys).push_back({KeyRect(note.midiNote), text});
    }
    // The first tip that holds the pointer is shown: the black keys lie
    // over the white ones.
    dots.insert(dots.end(), blackKeys.begin(), blackKeys.end());
    dots.insert(dots.end(), whiteKeys.begin(), whiteKeys.end());
    return dots;
}

void CProgressChart::PaintStaffNote(IImagePainter& painter, int midiNote, uint32_t color) {
    const int step = Step(midiNote);
    const float x = KeyCentre(midiNote);
    const float y = StepY(step);
    // Ledger lines between the staff and a note beyond it; middle C has its own.
    std::vector<int> ledgers;
    for (int line = kTrebleLines[4] + 2; line <= step; line += 2) {
        ledgers.push_back(line);
    }
    for (int line = kBassLines[0] - 2; line >= step; line -= 2) {
        ledgers.push_back(line);
    }
    if (step == kMiddleCStep) {
        ledgers.push_back(step);
    }
    for (const int line : ledgers) {
        painter.DrawLine(x - kLedgerHalf, StepY(line), x + kLedgerHalf, StepY(line), 1.0f, kInk);
    }
    painter.FillEllipse(x, y, kHeadRx + 1.0f, kHeadRy + 1.0f, kInk);
    painter.FillEllipse(x, y, kHeadRx, kHeadRy, color);
    if (IsBlack(midiNote)) {
        // A small sharp sign over the head, where no neighbour's head lies.
        const float top = y - kHeadRy - 9.0f;
        painter.DrawLine(x - 1, top, x - 1, top + 7, 1.0f, kInk);
        painter.DrawLine(x + 1, top, x + 1, top + 7, 1.0f, kInk);
        painter.DrawLine(x - 2.5f, top + 2.5f, x + 2.5f, top + 2, 1.0f, kInk);
        painter.DrawLine(x - 2.5f, top + 5, x + 2.5f, top + 4.5f, 1.0f, kInk);
    }
}

void CProgressChart::PaintKeys(IImagePainter& painter, const std::vector<double>& fractions) {
    const auto colorOf = [&fractions](int note, uint32_t never) {
        const double fraction = fractions[static_cast<size_t>(note - kLowestNote)];
        return fraction < 0.0 ? never : AccuracyColor(fraction);
    };
    for (int note = kLowestNote; note <= kHighestNote; ++note) {
        if (IsBlack(note)) {
            continue;
        }
        const float left = KeyCentre(note) - kWhiteKeyWidth / 2.0f;
        painter.FillRect(left, kKeysTop, kWhiteKeyWidth, kWhiteKeyHeight, kKeyEdge);
        painter.FillRect(left + 1, kKeysTop + 1, kWhiteKeyWidth - 1, kWhiteKeyHeight - 2,
                         colorOf(note, kNeverWhite));
        if (note % kNotesPerOctave == 0) {
            CCharString name;
            name.Format("C%d", note / kNotesPerOctave - 1);
            PaintCentred(painter, kSmallSize, KeyCentre(note), kKeysTop + kWhiteKeyHeight + 13,
                         name, note == 60 ? kInk : kFaint);
        }
    }
    for (int note = kLowestNote; note <= kHighestNote; ++note) {
        if (!IsBlack(note)) {
            continue;
        }
        const float left = KeyCentre(note) - kBlackKeyWidth / 2;
        painter.FillRect(left, kKeysTop, kBlackKeyWidth, kBlackKeyHeight, kKeyEdge);
        painter.FillRect(left + 1, kKeysTop + 1, kBlackKeyWidth - 2, kBlackKeyHeight - 2,
                         colorOf(note, kNeverBlack));
    }
}

void CProgressChart::PaintNoteLegend(IImagePainter& painter) {
    constexpr float kSwatch = 12.0f;
    constexpr float kGap = 6.0f;
    constexpr float kSpace = 22.0f;
    const float y = kNotesHeight - 14.0f;
    struct ENTRY {
        uint32_t color;
        const char* text;
    };
    const ENTRY entries[] = {{AccuracyColor(1.0), "All right at the first try"},
                             {AccuracyColor(0.5), "Half right"},
                             {AccuracyColor(0.0), "Mostly missed"},
                             {kNeverWhite, "Never practised"}};
    float x = kKeysLeft;
    for (const ENTRY& entry : entries) {
        painter.FillRect(x, y - kSwatch + 2, kSwatch, kSwatch, kKeyEdge);
        painter.FillRect(x + 1, y - kSwatch + 3, kSwatch - 2, kSwatch - 2, entry.color);
        painter.DrawText(kFace, kTextSize, x + kSwatch + kGap, y, entry.text, kInk);
        x += kSwatch + kGap + painter.MeasureText(kFace, kTextSize, entry.text) + kSpace;
    }
}
