// varno-compare [options] <module>...: renders each module through the session and
// through a reference player and prints durations and how alike the loudness
// envelopes (RMS per 20 ms) are.
//   --reference <kind>         openmpt (default), xmp, mpt8 (libopenmpt 0.8 in node) or
//                              flac (stored renders in --reference-dir)
//   --reference-dir <dir>      folder of the stored renders <file>.60s.flac
//   --archive-dir <dir>        folder holding xmp-varno.dat (default: the build's bin/)
//   --excerpt <seconds>        compare the first subsong's first seconds only (lengths
//                              are still measured on the whole song)
//   --expect <module>=<s>      the reference length of a module's first subsong, where
//                              the reference cannot measure it (flac) or to override it
//   --player <name>            fail a module that another player opens
//   --min-correlation <c>      fail a module whose envelope correlation is below c
//   --max-duration-error <f>   fail a module whose durations differ by more than f (0.01 = 1 %)
//   --skip-missing             exit 77 (a skipped test) when the reference or a module is missing
//   --envelopes <file>         write both envelopes of every subsong as text columns, for plots
//   --host-silence-end         let the host end a song after 3 s of silence, as it does by
//                              default (off: the player's own song end is measured)
// The correlation ("seg") takes the renders in 10-second segments, each aligned on
// its own within +-0.5 s, and averages them; "whole" is the correlation of the whole
// render at the best alignment within +-40 ms, in steps of 1 ms. Without --excerpt
// every subsong is compared, one after another, and both are weighted by length.
// Exit 1 when any module fails.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "envelope.h"
#include "renderers.h"

using namespace varno::compare;

namespace {

struct Options {
    std::string archiveDir = VARNO_DEFAULT_ARCHIVE_DIR;
    std::string referenceDir = VARNO_DEFAULT_REFERENCE_DIR;
    Reference reference = Reference::Openmpt;
    double excerpt = 0;
    double minCorrelation = -1, maxDurationError = -1;
    bool skipMissing = false, hostSilenceEnd = false;
    std::string player, envelopeFile;
    std::map<std::string, double> expected;
    std::vector<std::string> modules;
};

void writeEnvelopes(const std::string& file, const std::string& module, int subsong, const std::vector<double>& a,
                    const std::vector<double>& b) {
    FILE* out = std::fopen(file.c_str(), "a");
    if (!out) return;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        std::fprintf(out, "%s %d %.2f %.6f %.6f\n", module.c_str(), subsong, double(i) * 0.02, i < a.size() ? a[i] : 0.0,
                     i < b.size() ? b[i] : 0.0);
    std::fclose(out);
}

int usage() {
    std::fprintf(stderr, "usage: varno-compare [--reference openmpt|xmp|mpt8|flac] [--reference-dir d] "
                         "[--archive-dir d] [--excerpt s] [--expect module=s] [--player name] "
                         "[--min-correlation c] [--max-duration-error f] [--skip-missing] module...\n");
    return 2;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool more = i + 1 < argc;
        if (a == "--archive-dir" && more) o.archiveDir = argv[++i];
        else if (a == "--reference-dir" && more) o.referenceDir = argv[++i];
        else if (a == "--reference" && more) {
            if (!parseReference(argv[++i], o.reference)) return false;
        } else if (a == "--excerpt" && more) o.excerpt = std::atof(argv[++i]);
        else if (a == "--expect" && more) {
            const std::string v = argv[++i];
            const size_t eq = v.rfind('=');
            if (eq == std::string::npos) return false;
            o.expected[v.substr(0, eq)] = std::atof(v.c_str() + eq + 1);
        } else if (a == "--player" && more) o.player = argv[++i];
        else if (a == "--min-correlation" && more) o.minCorrelation = std::atof(argv[++i]);
        else if (a == "--max-duration-error" && more) o.maxDurationError = std::atof(argv[++i]);
        else if (a == "--skip-missing") o.skipMissing = true;
        else if (a == "--host-silence-end") o.hostSilenceEnd = true;
        else if (a == "--envelopes" && more) o.envelopeFile = argv[++i];
        else if (!a.empty() && a[0] == '-') return false;
        else o.modules.push_back(a);
    }
    return !o.modules.empty();
}

std::vector<float> firstSeconds(const std::vector<float>& samples, int rate, double seconds) {
    if (seconds <= 0 || samples.size() <= size_t(seconds * rate)) return samples;
    return std::vector<float>(samples.begin(), samples.begin() + long(seconds * rate));
}

// One module against the reference; prints its line and says whether it passes.
bool compareModule(const Options& o, const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::vector<Render> ours =
        renderSession(path, o.archiveDir, 30 * 60, o.hostSilenceEnd, o.excerpt > 0 ? 1 : 64);
    if (!ours[0].ok) {
        std::printf("%-32s %s\n", name.c_str(), ours[0].error.c_str());
        return false;
    }
    double oursSeconds = 0, refSeconds = 0, segWeighted = 0, wholeWeighted = 0, weights = 0, worst = 1;
    bool songEnds = true;
    for (size_t s = 0; s < ours.size(); ++s) {
        // The reference runs on past the excerpt, so that its last segment can be
        // aligned either way; where it stops short (stored renders), ours stops earlier.
        const Render ref = renderReference(o.reference, path, int(s), o.excerpt > 0 ? o.excerpt + 1 : 0, o.referenceDir);
        if (!ref.ok) {
            std::printf("%-32s %s\n", name.c_str(), ref.error.c_str());
            return false;
        }
        double excerpt = o.excerpt;
        const double refSecondsRendered = double(ref.mono.size()) / ref.rate;
        if (excerpt > 0 && refSecondsRendered < excerpt + 0.5) excerpt = std::max(1.0, refSecondsRendered - 0.5);
        const std::vector<float> mine = firstSeconds(ours[s].mono, ours[s].rate, excerpt);
        const std::vector<float>& theirs = ref.mono;
        const std::vector<double> envMine = rmsEnvelope(mine, size_t(ours[s].rate / 50)),
                                  envTheirs = rmsEnvelope(theirs, size_t(ref.rate / 50));
        const Segments seg = segmentedCorrelation(mine, ours[s].rate, theirs, ref.rate);
        // The fine alignment needs both at one rate; the stored renders are not.
        const double whole = ref.rate == ours[s].rate
                                 ? bestShift(mine, theirs, size_t(kSampleRate / 50), kSampleRate / 1000, kSampleRate / 25)
                                       .correlation
                                 : bestAlignment(envMine, envTheirs, 2).correlation;
        if (!o.envelopeFile.empty()) writeEnvelopes(o.envelopeFile, name, int(s), envMine, envTheirs);
        const double weight = std::max(1.0, double(mine.size()) / ours[s].rate);
        oursSeconds += ours[s].seconds;
        refSeconds += ref.seconds;
        segWeighted += seg.mean * weight;
        wholeWeighted += whole * weight;
        weights += weight;
        worst = std::min(worst, seg.worst);
        songEnds = songEnds && ours[s].endedBySongEnd;
    }
    const auto expected = o.expected.find(path);
    if (expected != o.expected.end()) {
        oursSeconds = ours[0].seconds;
        refSeconds = expected->second;
    }
    const double seg = segWeighted / weights, whole = wholeWeighted / weights;
    const double diff = refSeconds > 0 ? (oursSeconds - refSeconds) / refSeconds : 0;
    std::string verdict = "ok";
    if (!o.player.empty() && ours[0].playerName != o.player) verdict = "FAIL (played by " + ours[0].playerName + ")";
    else if (o.minCorrelation >= 0 && seg < o.minCorrelation) verdict = "FAIL (envelope)";
    else if (o.maxDurationError >= 0 && refSeconds > 0 && std::fabs(diff) > o.maxDurationError)
        verdict = "FAIL (length)";
    std::printf("%-32s %-6s %4zu %9.2f %9.2f %+7.2f %7.4f %7.4f %7.4f  %s%s\n", name.c_str(), ours[0].format.c_str(),
                ours.size(), oursSeconds, refSeconds, 100 * diff, seg, worst, whole, verdict.c_str(),
                songEnds ? "" : " (no song end)");
    return verdict == "ok";
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) return usage();
    if (!referenceAvailable(o.reference, o.referenceDir)) {
        std::fprintf(stderr, "varno-compare: the reference %s is not available\n", referenceName(o.reference));
        return o.skipMissing ? 77 : 1;
    }
    for (const auto& m : o.modules)
        if (!std::filesystem::exists(m)) {
            std::fprintf(stderr, "varno-compare: %s is missing\n", m.c_str());
            return o.skipMissing ? 77 : 1;
        }
    std::printf("reference: %s%s\n", referenceName(o.reference),
                o.excerpt > 0 ? (", first " + std::to_string(int(o.excerpt)) + " s of subsong 1").c_str() : "");
    std::printf("%-32s %-6s %4s %9s %9s %7s %7s %7s %7s  %s\n", "module", "format", "subs", "varno s", "ref s", "diff %",
                "seg", "worst", "whole", "verdict");
    bool allPass = true;
    for (const auto& path : o.modules) allPass = compareModule(o, path) && allPass;
    return allPass ? 0 : 1;
}
