#pragma once

#include <QStringList>

// The kist-cli commands; each takes its own arguments (after the command word) and answers
// the exit code.
int runList(const QStringList &arguments);
int runExtract(const QStringList &arguments);
int runTest(const QStringList &arguments);
int runCreate(const QStringList &arguments);
