#pragma once

#include <QtGlobal>

// Hands a byte count to report in pieces of at most step bytes, so that a progress threshold is
// passed by at most one step, whatever the size of the buffer that moved the data.
template <typename Report> void reportInSteps(quint64 bytes, quint64 step, Report &&report) {
    for (quint64 left = bytes; left > 0;) {
        const quint64 piece = qMin(left, step);
        report(piece);
        left -= piece;
    }
}
