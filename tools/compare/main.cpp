// varno-compare [options] <module>...: renders each module through the session and
// through openmpt123 and prints durations and the loudness-envelope correlation.
//   --archive-dir <dir>        folder holding xmp-varno.dat (default: the build's bin/)
//   --min-correlation <c>      fail a module whose correlation is below c
//   --max-duration-error <f>   fail a module whose durations differ by more than f (0.01 = 1 %)
//   --skip-missing             exit 77 (a skipped test) when openmpt123 or a module is missing
//   --envelopes <file>         write both envelopes of every subsong as text columns, for plots
//   --host-silence-end         let the host end a song after 3 s of silence, as it does by
//                              default (off: the player's own song end is measured)
// Every subsong is rendered in turn, since openmpt123 renders all of them one after another.
// The correlation is taken at the best alignment within +-40 ms in steps of 1 ms, since
// the two players may start the first row a tick or so apart. Exit 1 when any module fails.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "envelope.h"
#include "renderers.h"

using namespace varno::compare;

namespace {

void writeEnvelopes(const std::string& file, const std::string& module, int subsong, const std::vector<double>& a,
                    const std::vector<double>& b) {
    FILE* out = std::fopen(file.c_str(), "a");
    if (!out) return;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i)
        std::fprintf(out, "%s %d %.2f %.6f %.6f\n", module.c_str(), subsong, double(i) * 0.02, i < a.size() ? a[i] : 0.0,
                     i < b.size() ? b[i] : 0.0);
    std::fclose(out);
}

} // namespace

int main(int argc, char** argv) {
    std::string archiveDir = VARNO_DEFAULT_ARCHIVE_DIR;
    double minCorrelation = -1, maxDurationError = -1;
    bool skipMissing = false, hostSilenceEnd = false;
    std::string envelopeFile;
    std::vector<std::string> modules;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--archive-dir" && i + 1 < argc) archiveDir = argv[++i];
        else if (a == "--min-correlation" && i + 1 < argc) minCorrelation = std::atof(argv[++i]);
        else if (a == "--max-duration-error" && i + 1 < argc) maxDurationError = std::atof(argv[++i]);
        else if (a == "--skip-missing") skipMissing = true;
        else if (a == "--host-silence-end") hostSilenceEnd = true;
        else if (a == "--envelopes" && i + 1 < argc) envelopeFile = argv[++i];
        else if (!a.empty() && a[0] == '-') {
            std::fprintf(stderr, "varno-compare: unknown option %s\n", a.c_str());
            return 2;
        } else modules.push_back(a);
    }
    if (modules.empty()) {
        std::fprintf(stderr, "usage: varno-compare [--archive-dir d] [--min-correlation c] "
                             "[--max-duration-error f] [--skip-missing] module...\n");
        return 2;
    }
    if (!referenceAvailable()) {
        std::fprintf(stderr, "varno-compare: openmpt123 is not installed (Debian package openmpt123)\n");
        return skipMissing ? 77 : 1;
    }
    for (const auto& m : modules)
        if (!std::filesystem::exists(m)) {
            std::fprintf(stderr, "varno-compare: %s is missing\n", m.c_str());
            return skipMissing ? 77 : 1;
        }

    bool allPass = true;
    std::printf("%-24s %-6s %4s %9s %9s %7s %7s  %s\n", "module", "format", "subs", "varno s", "openmpt s", "diff %",
                "corr", "verdict");
    for (const auto& path : modules) {
        const std::string name = std::filesystem::path(path).filename().string();
        const std::vector<Render> ours = renderSession(path, archiveDir, 20 * 60, hostSilenceEnd);
        if (!ours[0].ok) {
            std::printf("%-24s %s\n", name.c_str(), ours[0].error.c_str());
            allPass = false;
            continue;
        }
        // Each subsong against openmpt123's render of it; the correlation is the
        // average weighted by length.
        double oursSeconds = 0, refSeconds = 0, weighted = 0, weights = 0;
        bool songEnds = true;
        std::string error;
        for (size_t s = 0; s < ours.size(); ++s) {
            const Render ref = renderReference(path, int(s));
            if (!ref.ok) {
                error = ref.error;
                break;
            }
            const size_t window = kSampleRate / 50;
            const std::vector<double> mine = rmsEnvelope(ours[s].mono, window), theirs = rmsEnvelope(ref.mono, window);
            const Alignment a = bestShift(ours[s].mono, ref.mono, window, kSampleRate / 1000, kSampleRate / 25);
            if (!envelopeFile.empty()) writeEnvelopes(envelopeFile, name, int(s), mine, theirs);
            oursSeconds += ours[s].seconds;
            refSeconds += ref.seconds;
            weighted += a.correlation * ref.seconds;
            weights += ref.seconds;
            songEnds = songEnds && ours[s].endedBySongEnd;
        }
        if (!error.empty()) {
            std::printf("%-24s %s\n", name.c_str(), error.c_str());
            allPass = false;
            continue;
        }
        const double corr = weights > 0 ? weighted / weights : 0;
        const double diff = refSeconds > 0 ? (oursSeconds - refSeconds) / refSeconds : 1;
        bool pass = true;
        if (minCorrelation >= 0 && corr < minCorrelation) pass = false;
        if (maxDurationError >= 0 && std::fabs(diff) > maxDurationError) pass = false;
        allPass = allPass && pass;
        std::printf("%-24s %-6s %4zu %9.2f %9.2f %+7.2f %7.4f  %s%s\n", name.c_str(), ours[0].format.c_str(),
                    ours.size(), oursSeconds, refSeconds, 100 * diff, corr, pass ? "ok" : "FAIL",
                    songEnds ? "" : " (no song end)");
    }
    return allPass ? 0 : 1;
}
