#pragma once

#include <QTemporaryDir>

// A private config folder and temp folder for the whole test process, so no test touches the
// user's real settings or leaves files in the shared temp folder. Set up before the application
// object exists; removed with this object.
class TestSandbox {
public:
    TestSandbox();
    bool isValid() const { return valid_; }

private:
    QTemporaryDir root_;
    bool valid_ = false;
};
