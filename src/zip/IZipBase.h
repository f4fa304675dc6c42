#pragma once

#include <QString>

// What a zip writer offers its class-level entry points.
class IZipBase {
public:
    virtual ~IZipBase() = default;
    // Adds the item: a file, a symbolic link, or a folder with everything below it.
    virtual void zip(const QString &path) = 0;
    // The folder that entry names are relative to.
    virtual void setRelativeBase(const QString &relative) = 0;
};
