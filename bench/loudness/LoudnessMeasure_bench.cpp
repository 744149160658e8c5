// bench_loudness_measure FILE...: one line per file, "FILE<TAB>I<TAB>TP",
// the integrated loudness (LUFS) and true peak (dBTP) the console measures,
// or "FILE<TAB>-<TAB>reason" for a file not analysed.
#include "loudness/AnalyseAudioFile.h"

#include <cstdio>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const corvane::AnalysisResult r = corvane::AnalyseAudioFile(argv[i], {});
        if (r.Analysed())
            std::printf("%s\t%.2f\t%.2f\n", argv[i], r.analysis->integratedLufs, r.analysis->truePeakDbtp);
        else
            std::printf("%s\t-\t%s\n", argv[i], r.reason.c_str());
    }
    return 0;
}
