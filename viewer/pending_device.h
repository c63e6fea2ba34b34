#pragma once
// A file that Qt's writers fill through a QIODevice, written under a
// temporary name beside its final one and put in place only when every
// write reached it: a failed or interrupted export leaves the final name as
// it was and no temporary.

#include "conversion/pending_output.h"

#include <QFile>
#include <QString>

class PendingDevice {
public:
    // Throws std::runtime_error naming the file when no temporary can be made.
    explicit PendingDevice(const QString& finalPath);

    QIODevice& device() { return file_; }

    // Puts the file in place; throws naming the file and the system's
    // reason when a write failed or it cannot be put in place.
    void commit();

    // Gives the file up and throws naming it, with the reason of a failed
    // write when there is one, else `why`.
    [[noreturn]] void fail(const QString& why);

private:
    // The device's reason for a failed write, or empty.
    QString writeError();

    QString finalPath_;
    PendingOutput pending_; // outlives file_, which writes into its stream
    QFile file_;
};
