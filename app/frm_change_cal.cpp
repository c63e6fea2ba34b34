#include "app/frm_change_cal.h"

#include "app/app_font.h"
#include "app/dialogs.h"
#include "app/error_display.h"
#include "app/on_screen.h"
#include "app/settings_store.h"
#include "app/store_fault_notice.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int GridRowHeight = 24;
constexpr int SerialColumnWidth = 80;
// Distances of OK and Cancel from the bottom panel's right edge.
constexpr int OkRightGap = 101;
constexpr int CancelRightGap = 11;

QPushButton* button(const QString& caption, QWidget* parent, int left, int top, int width)
{
    auto* result = new QPushButton(caption, parent);
    result->setGeometry(left, top, width, 25);
    result->setAutoDefault(false);
    return result;
}

} // namespace

TFrmChangeCal::TFrmChangeCal(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Change Calibration Associations"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(true);
    setFont(layoutFont());
    createControls();
    move(2, 352);
    resize(562, 275);
    layout()->activate();
    runGuarded([this] { FormCreate(this); });
}

void TFrmChangeCal::createControls()
{
    Panel2 = new QLabel(QStringLiteral("Double Click on  a line to change."));
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel2->setFont(layoutFont(13));
    Panel2->setMinimumHeight(1);

    StringGrid = new QTableWidget(1, 2);
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(GridRowHeight);
    StringGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A path too long for its cell shows its end: the file name matters most.
    StringGrid->setTextElideMode(Qt::ElideLeft);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    StringGrid->viewport()->installEventFilter(this);
    StringGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->horizontalHeader()->setStretchLastSection(false);

    Panel1 = new QFrame;
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setMinimumHeight(40);
    Panel1->installEventFilter(this);
    BtnAdd = button(QStringLiteral("Add"), Panel1, 8, 7, 81);
    BtnDelete = button(QStringLiteral("Delete"), Panel1, 96, 8, 81);
    BtnOK = button(QStringLiteral("OK"), Panel1, 369, 8, 84);
    BtnCancel = button(QStringLiteral("Cancel"), Panel1, 462, 8, 81);

    splitter = new QSplitter(Qt::Vertical);
    splitter->setHandleWidth(1);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(Panel2);
    splitter->addWidget(StringGrid);
    splitter->addWidget(Panel1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({25, 275 - 25 - 40 - 2, 40});
    Splitter2 = splitter->handle(1);
    Splitter1 = splitter->handle(2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(BtnCancel, &QPushButton::clicked, this, guarded([this] { BtnCancelClick(BtnCancel); }));
    connect(StringGrid, &QTableWidget::cellDoubleClicked, this, guarded([this] { StringGridDblClick(StringGrid); }));
    connect(BtnDelete, &QPushButton::clicked, this, guarded([this] { BtnDeleteClick(BtnDelete); }));
    connect(BtnAdd, &QPushButton::clicked, this, guarded([this] { BtnAddClick(BtnAdd); }));
    connect(BtnOK, &QPushButton::clicked, this, guarded([this] { BtnOKClick(BtnOK); }));
}

void TFrmChangeCal::FormCreate(QObject*)
{
    StringGrid->setHorizontalHeaderLabels({QStringLiteral("Serial Number"), QStringLiteral("Calibration File")});
    fitColumns();
    TRegDef reg;
    if (!openSettingsKey(reg))
        return;
    const int top = reg.ReadNumberOr("CCATop", 354);
    const int left = reg.ReadNumberOr("CCALeft", 4);
    const int height = reg.ReadNumberOr("CCAHeight", 275);
    const int width = reg.ReadNumberOr("CCAWidth", 562);
    resize(width, height);
    move(visibleTopLeft(QPoint(left, top), size()));
}

void TFrmChangeCal::FormShow(QObject*)
{
    SerialList.clear();
    CalFileList.clear();
    DeletedList.clear();
    for (const auto& [serial, calFile] : tellingStoreFault(listCalFiles)) {
        SerialList.append(QString::fromStdString(serial));
        CalFileList.append(QString::fromStdString(calFile));
    }
    RefreshGrid();
}

void TFrmChangeCal::RefreshGrid()
{
    StringGrid->setRowCount(std::max(1, static_cast<int>(SerialList.size())));
    for (int column = 0; column < 2; ++column)
        StringGrid->setItem(0, column, new QTableWidgetItem());
    for (int i = 0; i < SerialList.size(); ++i) {
        StringGrid->setItem(i, 0, new QTableWidgetItem(SerialList.at(i)));
        auto* file = new QTableWidgetItem(CalFileList.at(i));
        file->setToolTip(CalFileList.at(i));
        StringGrid->setItem(i, 1, file);
    }
}

int TFrmChangeCal::currentIndex() const
{
    return StringGrid->currentRow();
}

void TFrmChangeCal::StringGridDblClick(QObject*)
{
    const int i = currentIndex();
    if (i < 0)
        return;
    if (SerialList.isEmpty()) {
        SerialList.append(QString());
        CalFileList.append(QString());
    }
    if (i >= SerialList.size())
        return;
    QString serial = SerialList.at(i);
    while (serial.isEmpty())
        serial = dialogs().inputBox(this, QStringLiteral("New Serial Number: "), QStringLiteral("Serial Number"),
                                    QStringLiteral("None"));
    SerialList[i] = serial;
    OpenDialog.Title = QStringLiteral("Select Calibration File for ") + serial;
    OpenDialog.FileName = CalFileList.at(i);
    if (OpenDialog.Execute(this) && QFileInfo(OpenDialog.FileName).isFile())
        CalFileList[i] = QFileInfo(OpenDialog.FileName).absoluteFilePath();
    RefreshGrid();
}

void TFrmChangeCal::BtnAddClick(QObject*)
{
    SerialList.append(QString());
    CalFileList.append(QString());
    RefreshGrid();
}

void TFrmChangeCal::BtnDeleteClick(QObject*)
{
    const int i = currentIndex();
    if (i < 0 || i >= SerialList.size())
        return;
    const QString serial = SerialList.at(i);
    if (!dialogs().askYesNo(this, QStringLiteral("OK To Delete Association to ") + serial + QLatin1Char('?'),
                            QStringLiteral("Delete ") + serial))
        return;
    DeletedList.append(serial);
    SerialList.removeAt(i);
    CalFileList.removeAt(i);
    RefreshGrid();
}

void TFrmChangeCal::BtnOKClick(QObject*)
{
    // An empty serial would name the association folder itself.
    for (const QString& serial : std::as_const(DeletedList))
        if (!serial.isEmpty())
            forgetCalFile(serial.toStdString());
    for (int i = 0; i < SerialList.size(); ++i)
        if (!SerialList.at(i).isEmpty())
            storeCalFile(SerialList.at(i).toStdString(), CalFileList.at(i).toStdString());
    accept();
}

void TFrmChangeCal::BtnCancelClick(QObject*)
{
    reject();
}

void TFrmChangeCal::FormResize(QObject*)
{
    fitColumns();
}

// The serial column as wide as its title; the file column takes the rest of
// the grid's real width, or its title's width when the grid is narrower.
void TFrmChangeCal::fitColumns()
{
    const QHeaderView* header = StringGrid->horizontalHeader();
    const auto titleWidth = [header](int column) { return header->sectionSizeHint(column); };
    const int serialWidth = std::max(SerialColumnWidth, titleWidth(0));
    StringGrid->setColumnWidth(0, serialWidth);
    StringGrid->setColumnWidth(1, std::max(titleWidth(1), StringGrid->viewport()->width() - serialWidth));
}

void TFrmChangeCal::FormClose(QObject*)
{
    TRegDef reg;
    if (!beginSettingsUpdate(reg))
        return;
    reg.WriteNumber("CCATop", pos().y());
    reg.WriteNumber("CCALeft", pos().x());
    reg.WriteNumber("CCAHeight", height());
    reg.WriteNumber("CCAWidth", width());
    finishSettingsUpdate(reg);
}

void TFrmChangeCal::done(int result)
{
    runGuarded([this] { FormClose(this); });
    QDialog::done(result);
}

void TFrmChangeCal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(this); });
}

void TFrmChangeCal::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layout()->activate();
    runGuarded([this] { FormResize(this); });
}

void TFrmChangeCal::keyPressEvent(QKeyEvent* event)
{
    // No button is the window's cancel button, so Escape does not close it.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

bool TFrmChangeCal::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel1 && event->type() == QEvent::Resize)
        placeRightButtons();
    if (watched == StringGrid->viewport() && event->type() == QEvent::Resize)
        fitColumns();
    return QDialog::eventFilter(watched, event);
}

void TFrmChangeCal::placeRightButtons()
{
    BtnOK->move(Panel1->width() - OkRightGap - BtnOK->width(), BtnOK->y());
    BtnCancel->move(Panel1->width() - CancelRightGap - BtnCancel->width(), BtnCancel->y());
}
