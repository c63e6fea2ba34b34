#include "viewer/pending_device.h"

#include <cstring>
#include <stdexcept>

namespace {

[[noreturn]] void cannotWrite(const QString& path, const QString& why)
{
    throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(path, why).toStdString());
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

PendingDevice::PendingDevice(const QString& finalPath) : finalPath_(finalPath)
{
    if (const int error = pending_.open(finalPath.toStdString()); error != 0)
        cannotWrite(finalPath_, systemReason(error));
    // The stream stays the pending output's: it closes it on commit or discard.
    if (!file_.open(pending_.stream(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        cannotWrite(finalPath_, file_.errorString());
}

QString PendingDevice::writeError()
{
    // A writer may have closed the device itself; closing keeps a failed
    // flush's error.
    if (file_.isOpen())
        file_.flush();
    return file_.error() == QFileDevice::NoError ? QString() : file_.errorString();
}

void PendingDevice::commit()
{
    if (const QString error = writeError(); !error.isEmpty())
        fail(error);
    file_.close();
    // The stream's own error state catches a write the device lost track of.
    if (const int error = pending_.commit(); error != 0)
        cannotWrite(finalPath_, systemReason(error));
}

void PendingDevice::fail(const QString& why)
{
    const QString error = writeError();
    file_.close();
    pending_.discard();
    cannotWrite(finalPath_, error.isEmpty() ? why : error);
}
