#pragma once
// The application object: an error that escapes any event handler is shown
// in the application's error box and the program goes on.

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
