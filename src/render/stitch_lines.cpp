#include "stitch_lines.h"

#include <algorithm>
#include <cstring>

namespace lustrelab {

namespace {

constexpr uint64_t lanePrimes[4] = {0x9E3779B185EBCA87ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                                    0xD6E8FEB86659FD93ull};

inline uint64_t rotl(uint64_t v, int r) { return (v << r) | (v >> (64 - r)); }

inline uint64_t finalMix(uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

inline uint64_t load64(const uint32_t* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Four independent lanes keep the multiplier busy; a row of a 2880-wide
// frame is 1440 words, so this is memory speed rather than hash speed.
StitchLine hashRow(const uint32_t* pixels, int count)
{
    uint64_t lanes[4] = {lanePrimes[0], lanePrimes[1], lanePrimes[2], lanePrimes[3]};
    const uint32_t first = count > 0 ? pixels[0] : 0;
    const uint64_t firstPair = (uint64_t(first) << 32) | first;
    uint64_t differs = 0;
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        for (int lane = 0; lane < 4; ++lane) {
            const uint64_t word = load64(pixels + x + 2 * lane);
            differs |= word ^ firstPair;
            lanes[lane] = rotl((lanes[lane] ^ word) * lanePrimes[lane], 29);
        }
    }
    for (; x < count; ++x) {
        differs |= pixels[x] ^ first;
        lanes[x & 3] = rotl((lanes[x & 3] ^ pixels[x]) * lanePrimes[x & 3], 29);
    }
    uint64_t h = uint64_t(count) * lanePrimes[1];
    for (uint64_t lane : lanes)
        h = finalMix(h ^ lane) * lanePrimes[0];
    return {finalMix(h), differs == 0};
}

// A hash that occurs more often than this in the next frame (a list of like
// rows, a table's rule lines) proposes too many shifts to be worth a vote.
constexpr int maximumOccurrences = 4;
constexpr int confirmedCandidates = 6;
constexpr int minimumEvidence = 3; // equal rows that are not flat

struct Confirmation
{
    bool passed = false;
    int evidence = 0;
};

Confirmation confirm(const StitchLines& previous, const StitchLines& next, int shift, const OverlapRules& rules)
{
    const int overlap = std::min(int(previous.size()) - shift, int(next.size()));
    if (overlap < rules.minimumOverlap)
        return {};
    int equal = 0;
    int evidence = 0;
    for (int j = 0; j < overlap; ++j) {
        if (next[j].hash == previous[j + shift].hash) {
            ++equal;
            evidence += next[j].flat ? 0 : 1;
        }
    }
    const bool passed = equal >= rules.minimumAgreement * overlap && evidence >= minimumEvidence;
    return {passed, evidence};
}

} // namespace

StitchLines stitchLines(const QImage& image, int skipLeft, int skipRight)
{
    StitchLines lines(image.height());
    const int from = std::clamp(skipLeft, 0, image.width());
    const int count = std::max(0, image.width() - skipRight - from);
    for (int y = 0; y < image.height(); ++y)
        lines[y] = hashRow(reinterpret_cast<const uint32_t*>(image.constScanLine(y)) + from, count);
    return lines;
}

int commonLeadingLines(const std::vector<const StitchLines*>& frames, int limit)
{
    if (frames.empty())
        return 0;
    for (const StitchLines* frame : frames)
        limit = std::min(limit, int(frame->size()));
    int rows = 0;
    for (; rows < limit; ++rows) {
        const uint64_t hash = (*frames.front())[rows].hash;
        for (const StitchLines* frame : frames)
            if ((*frame)[rows].hash != hash)
                return rows;
    }
    return rows;
}

int commonTrailingLines(const std::vector<const StitchLines*>& frames, int limit)
{
    if (frames.empty())
        return 0;
    for (const StitchLines* frame : frames)
        limit = std::min(limit, int(frame->size()));
    int rows = 0;
    for (; rows < limit; ++rows) {
        const StitchLines& first = *frames.front();
        const uint64_t hash = first[first.size() - 1 - rows].hash;
        for (const StitchLines* frame : frames)
            if ((*frame)[frame->size() - 1 - rows].hash != hash)
                return rows;
    }
    return rows;
}

std::optional<int> findShift(const StitchLines& previous, const StitchLines& next, const OverlapRules& rules)
{
    const int previousRows = int(previous.size());
    const int largestShift = previousRows - rules.minimumOverlap;
    if (largestShift < 0 || int(next.size()) < rules.minimumOverlap)
        return std::nullopt;

    // Rows are looked up by the change from the row above: a run of equal
    // rows (the inside of a card, the lower half of a line of text) says
    // nothing about where it is, the row where it starts does.
    const auto key = [](const StitchLines& lines, int i) { return lines[i].hash ^ rotl(lines[i - 1].hash, 17); };
    const auto changes = [](const StitchLines& lines, int i) { return lines[i].hash != lines[i - 1].hash; };
    std::vector<std::pair<uint64_t, int>> index;
    index.reserve(next.size());
    for (int j = 1; j < int(next.size()); ++j)
        if (changes(next, j))
            index.emplace_back(key(next, j), j);
    std::sort(index.begin(), index.end());

    std::vector<int> votes(largestShift + 1, 0);
    for (int i = 1; i < previousRows; ++i) {
        if (!changes(previous, i))
            continue;
        const auto range = std::equal_range(index.begin(), index.end(), std::pair<uint64_t, int>(key(previous, i), 0),
                                            [](const auto& a, const auto& b) { return a.first < b.first; });
        if (range.second - range.first > maximumOccurrences)
            continue;
        for (auto it = range.first; it != range.second; ++it) {
            const int shift = i - it->second;
            if (shift >= 0 && shift <= largestShift)
                ++votes[shift];
        }
    }

    std::vector<int> candidates;
    for (int shift = 0; shift <= largestShift; ++shift)
        if (votes[shift] > 0)
            candidates.push_back(shift);
    const auto byVotes = [&](int a, int b) { return votes[a] != votes[b] ? votes[a] > votes[b] : a < b; };
    const auto kept = candidates.begin() + std::min<qsizetype>(confirmedCandidates, candidates.size());
    std::partial_sort(candidates.begin(), kept, candidates.end(), byVotes);

    std::optional<int> best;
    int bestEvidence = 0;
    for (auto it = candidates.begin(); it != kept; ++it) {
        const Confirmation c = confirm(previous, next, *it, rules);
        if (c.passed && (!best || c.evidence > bestEvidence || (c.evidence == bestEvidence && *it < *best))) {
            best = *it;
            bestEvidence = c.evidence;
        }
    }
    return best;
}

} // namespace lustrelab
