#pragma once
// "Change Calibration Associations": lists which calibration file belongs to
// which instrument serial number and lets the user add, change and delete
// associations; the store changes only when OK is pressed.

#include "app/open_dialog.h"

#include <QDialog>
#include <QStringList>

class QFrame;
class QLabel;
class QPushButton;
class QSplitter;
class QSplitterHandle;
class QTableWidget;

class TFrmChangeCal : public QDialog {
    Q_OBJECT
public:
    explicit TFrmChangeCal(QWidget* parent = nullptr);

    QTableWidget* StringGrid;
    QFrame* Panel1;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
    QSplitterHandle* Splitter1;
    TOpenDialog OpenDialog{false};
    QPushButton* BtnDelete;
    QPushButton* BtnAdd;
    QLabel* Panel2;
    QSplitterHandle* Splitter2;

    void FormCreate(QObject* Sender);
    void FormShow(QObject* Sender);
    void BtnCancelClick(QObject* Sender);
    void StringGridDblClick(QObject* Sender);
    void FormResize(QObject* Sender);
    void BtnDeleteClick(QObject* Sender);
    void BtnAddClick(QObject* Sender);
    void BtnOKClick(QObject* Sender);
    void FormClose(QObject* Sender);

    // The serials behind the grid rows, for inspection.
    const QStringList& serials() const { return SerialList; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void RefreshGrid();
    void placeRightButtons();
    void fitColumns();
    // Grid row of the current cell minus the header row: the list index.
    int currentIndex() const;

    QSplitter* splitter;
    QStringList SerialList;
    QStringList CalFileList;
    QStringList DeletedList;
};
