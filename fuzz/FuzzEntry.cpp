// The libFuzzer entry point of one target; the build compiles it once per target with the
// target's name in KIST_FUZZ_TARGET.
#include "FuzzTargets.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    // A private temp folder for the whole run, removed at exit, so the shared one stays clean.
    static QTemporaryDir temp(QDir::tempPath() + QStringLiteral("/kist-fuzz-XXXXXX"));
    setenv("TMPDIR", QFile::encodeName(temp.path()).constData(), 1);
    static QCoreApplication app(*argc, *argv);
    FuzzTargets::limitFileSizes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString fault = FuzzTargets::run(QStringLiteral(KIST_FUZZ_TARGET), input);
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "kist fuzz fault: %s\n", qPrintable(fault));
        std::abort();
    }
    return 0;
}
