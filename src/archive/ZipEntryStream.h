#pragma once

#include <QtGlobal>

// The data of one zip entry, opened for reading by whichever library can decode it.
class ZipEntryStream {
public:
    virtual ~ZipEntryStream() = default;
    // Bytes read into the buffer; 0 at the end of the data, negative when it cannot be decoded
    // (damaged data, wrong password).
    virtual qint64 readData(char *buffer, qint64 capacity) = 0;
    // Ends the reading; true only when all the data was read and its check (CRC or
    // authentication code) passed.
    virtual bool finishData() = 0;
};
