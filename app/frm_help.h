#pragma once
// The help window: a fixed text about the options and buttons.

#include <QWidget>

class QPlainTextEdit;

class TFrmHelp : public QWidget {
    Q_OBJECT
public:
    explicit TFrmHelp(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1;

private:
    int widthForLongestLine() const;
};

// The help text, one entry per line.
const QStringList& helpLines();
