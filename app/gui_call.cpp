#include "app/gui_call.h"

#include <QMetaObject>
#include <QThread>

#include <exception>

void callOnThreadOf(QObject* context, const std::function<void()>& function)
{
    if (QThread::currentThread() == context->thread()) {
        function();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        context,
        [&] {
            try {
                function();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}
