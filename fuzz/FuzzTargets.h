#pragma once

#include <QByteArray>
#include <QString>

// What each fuzz target does with one input. The libFuzzer entry points and the test that
// replays inputs which once found a fault share these, so a fixed fault stays fixed.
namespace FuzzTargets {

// The reader targets, one per extension that picks a reader.
QStringList readerExtensions();
// Every target's name: the reader extensions, "tar_header", "charset" and "bz2_blocks".
QStringList names();

// Caps the size of any file the process writes, so an input that decompresses to gigabytes
// makes the reader meet a failing write instead of filling the disk.
void limitFileSizes();

// Runs the named target on the input. Returns what went wrong beyond the reader's own error
// reporting (an item written outside the destination, a device or FIFO created, a temporary
// folder left behind); empty when nothing did. Sanitizers catch memory and undefined faults.
QString run(const QString &target, const QByteArray &input);

} // namespace FuzzTargets
