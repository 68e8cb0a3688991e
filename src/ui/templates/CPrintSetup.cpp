// The design panel's controls, their tips and how they show the clicked item.
#include "ui/templates/CPrintSetup.h"

#include "core/config/AppState.h"
#include "core/templates/FieldCatalogue.h"
#include "core/templates/TemplateFile.h"
#include "ui/templates/CColorPickerCB.h"
#include "ui/waybill/CQuorvelView.h"
#include "ui/waybill/MyEdit.h"

#include <QCollator>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace zentra::ui {

namespace {

// Tips of the move, align and size buttons: blue text, shown 150 ms after the
// pointer comes to rest on a button and for ten times as long.
class BlueTips : public QObject {
public:
    static constexpr int kDelay = 150;

    explicit BlueTips(QObject *parent) : QObject(parent)
    {
        timer_.setSingleShot(true);
        timer_.setInterval(kDelay);
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (target_ && target_->underMouse())
                QToolTip::showText(QCursor::pos(), html(target_->toolTip()), target_, QRect(), 10 * kDelay);
        });
    }

    static QString html(const QString &tip)
    {
        return QStringLiteral("<span style=\"color:#0000ff\">%1</span>").arg(tip.toHtmlEscaped());
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *w = qobject_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Enter:
            target_ = w;
            timer_.start();
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
            timer_.stop();
            QToolTip::hideText();
            break;
        case QEvent::ToolTip:
            return true; // shown by the timer, in blue
        default:
            break;
        }
        return false;
    }

private:
    QTimer timer_;
    QWidget *target_ = nullptr;
};

QPushButton *makeButton(const QString &text, const char *name)
{
    auto *b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *label(const char *text)
{
    return new QLabel(QString::fromUtf8(text));
}

int lastMatch(const QComboBox *list, const QString &text)
{
    int found = -1;
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i) == text)
            found = i;
    return std::max(0, found);
}

}

QStringList CPrintSetup::sizeEntries()
{
    return QStringLiteral("6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21;22;23;24;25;26;27;28;29;30;32;36;40;44;48;52;56;"
                          "60;64;68;72")
        .split(QLatin1Char(';'));
}

QStringList CPrintSetup::styleEntries()
{
    return QStringLiteral("正常;粗体;斜体;粗斜").split(QLatin1Char(';'));
}

CPrintSetup::CPrintSetup(AppState &state, CQuorvelView &view, Dialogs &dialogs, DataFolder folder, QWidget *parent)
    : QWidget(parent), state_(state), view_(view), dialogs_(dialogs), folder_(std::move(folder)),
      print_([&view] { view.printCanvas(); })
{
    setObjectName(QStringLiteral("CPrintSetup"));
    buildLayout();
    fillLists();
    installTips();
    showMargins();
    updateUndoButtons();

    connect(&view_, &CQuorvelView::itemClicked, this, &CPrintSetup::syncWithItem);
    connect(&view_, &CQuorvelView::designChanged, this, &CPrintSetup::emitStatus);
    connect(&view_, &CQuorvelView::gestureFinished, this, [this](const Template &before) {
        history_.record(before, view_.currentTemplate());
        updateUndoButtons();
    });
    connect(&view_, &CQuorvelView::templateLoaded, this, [this] {
        history_.clear();
        updateUndoButtons();
        if (state_.designMode == 1)
            showMargins();
    });
}

CPrintSetup::~CPrintSetup() = default;

void CPrintSetup::buildLayout()
{
    // 打印设置: the margins and the print buttons.
    auto *printBox = new QGroupBox(QStringLiteral("打印设置"));
    printBox->setObjectName(QStringLiteral("printSettingsGroup"));
    auto *printGrid = new QGridLayout(printBox);
    leftMargin_ = new QLineEdit;
    leftMargin_->setObjectName(QStringLiteral("leftMargin"));
    topMargin_ = new QLineEdit;
    topMargin_->setObjectName(QStringLiteral("topMargin"));
    for (QLineEdit *e : {leftMargin_, topMargin_})
        e->setFixedWidth(56);
    printGrid->addWidget(label("左边距"), 0, 0);
    printGrid->addWidget(leftMargin_, 0, 1);
    printGrid->addWidget(label("(厘米)"), 0, 2);
    printGrid->addWidget(label("上边距"), 1, 0);
    printGrid->addWidget(topMargin_, 1, 1);
    printGrid->addWidget(label("(厘米)"), 1, 2);
    QPushButton *print = makeButton(QStringLiteral("打印"), "printButton");
    QPushButton *preview = makeButton(QStringLiteral("预览"), "previewButton");
    auto *printButtons = new QHBoxLayout;
    printButtons->addWidget(print);
    printButtons->addWidget(preview);
    printGrid->addLayout(printButtons, 2, 0, 1, 3);
    printGrid->setRowStretch(3, 1);
    connect(leftMargin_, &QLineEdit::textEdited, this, [this](const QString &t) { marginEdited(true, t); });
    connect(topMargin_, &QLineEdit::textEdited, this, [this](const QString &t) { marginEdited(false, t); });
    connect(print, &QPushButton::clicked, this, [this] { print_(); });
    connect(preview, &QPushButton::clicked, this, [this] { view_.previewCanvas(); });

    // 标签设置: the font of the selected items and the label commands.
    auto *labelBox = new QGroupBox(QStringLiteral("标签设置"));
    labelBox->setObjectName(QStringLiteral("labelSettingsGroup"));
    auto *labelGrid = new QGridLayout(labelBox);
    fontList_ = new QComboBox;
    fontList_->setObjectName(QStringLiteral("fontList"));
    fontList_->setEditable(true);
    fontList_->setInsertPolicy(QComboBox::NoInsert);
    fontList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontList_->setMinimumContentsLength(10);
    colorList_ = new CColorPickerCB;
    colorList_->setObjectName(QStringLiteral("colorList"));
    styleList_ = new QComboBox;
    styleList_->setObjectName(QStringLiteral("styleList"));
    sizeList_ = new QComboBox;
    sizeList_->setObjectName(QStringLiteral("sizeList"));
    sizeList_->setMaxVisibleItems(12);
    labelGrid->addWidget(label("字体"), 0, 0);
    labelGrid->addWidget(fontList_, 0, 1, 1, 3);
    labelGrid->addWidget(label("颜色"), 1, 0);
    labelGrid->addWidget(colorList_, 1, 1, 1, 3);
    labelGrid->addWidget(label("样式"), 2, 0);
    labelGrid->addWidget(styleList_, 2, 1);
    labelGrid->addWidget(label("大小"), 2, 2);
    labelGrid->addWidget(sizeList_, 2, 3);
    struct Command {
        const char *text, *name;
        std::function<void()> run;
    };
    const Command labelCommands[] = {
        {"全选", "selectAllButton", [this] { view_.selectAllItems(true); }},
        {"全不选", "selectNoneButton", [this] { view_.selectAllItems(false); }},
        {"添加", "addButton", [this] { addLabels(); }},
        {"删除", "deleteButton", [this] { deleteLabels(); }},
        {"默认文本", "defaultTextButton", [this] { setTexts(true); }},
        {"清空文本", "clearTextButton", [this] { setTexts(false); }},
    };
    int n = 0;
    for (const Command &c : labelCommands) {
        QPushButton *b = makeButton(QString::fromUtf8(c.text), c.name);
        connect(b, &QPushButton::clicked, this, c.run);
        labelGrid->addWidget(b, 3 + n / 2, (n % 2) * 2, 1, 2);
        ++n;
    }
    labelGrid->setRowStretch(6, 1);
    connect(sizeList_, &QComboBox::activated, this, [this](int index) {
        const int points = sizeList_->itemText(index).toInt();
        changeSelected([points](TemplateItem &it) { it.fontSize = 6 * points; });
    });
    connect(styleList_, &QComboBox::activated, this, [this](int index) {
        changeSelected([index](TemplateItem &it) {
            it.bold = index == 1 || index == 3;
            it.italic = index == 2 || index == 3;
        });
    });
    connect(fontList_, &QComboBox::activated, this, [this](int index) {
        const std::string face = limitFaceName(fontList_->itemText(index).toStdString());
        changeSelected([face](TemplateItem &it) { it.fontName = face; });
    });
    connect(colorList_, &QComboBox::activated, this, [this](int index) {
        const QColor c = colorList_->colorAt(index);
        const Rgb rgb{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                      static_cast<std::uint8_t>(c.blue())};
        changeSelected([rgb](TemplateItem &it) { it.color = rgb; });
    });

    // 标签调整: move, align and size; save, background, leave; undo, redo.
    auto *adjustBox = new QGroupBox(QStringLiteral("标签调整"));
    adjustBox->setObjectName(QStringLiteral("labelAdjustGroup"));
    auto *adjust = new QGridLayout(adjustBox);
    struct Placed {
        const char *text, *name, *tip;
        int row, column;
        std::function<void()> run;
    };
    const Placed placed[] = {
        {"↑", "moveUpButton", "向上移动", 0, 1, [this] { moveSelected(0, -1); }},
        {"↓", "moveDownButton", "向下移动", 2, 1, [this] { moveSelected(0, 1); }},
        {"←", "moveLeftButton", "向左移动", 1, 0, [this] { moveSelected(-1, 0); }},
        {"→", "moveRightButton", "向右移动", 1, 2, [this] { moveSelected(1, 0); }},
        {"╦", "alignTopButton", "顶对齐", 0, 4, [this] { align(ItemAlign::Top); }},
        {"╩", "alignBottomButton", "底对齐", 0, 5, [this] { align(ItemAlign::Bottom); }},
        {"╠", "alignLeftButton", "左对齐", 1, 4, [this] { align(ItemAlign::Left); }},
        {"╣", "alignRightButton", "右对齐", 1, 5, [this] { align(ItemAlign::Right); }},
    };
    auto *moves = new QGridLayout;
    moves->setSpacing(3);
    for (const Placed &p : placed) {
        QPushButton *b = makeButton(QString::fromUtf8(p.text), p.name);
        b->setToolTip(QString::fromUtf8(p.tip));
        b->setFixedSize(34, 30);
        connect(b, &QPushButton::clicked, this, p.run);
        moves->addWidget(b, p.row, p.column);
    }
    moves->setColumnMinimumWidth(3, 14);
    adjust->addLayout(moves, 0, 0, 1, 6, Qt::AlignLeft | Qt::AlignTop);
    const Placed sizes[] = {
        {"最大\n宽度", "maxWidthButton", "最大宽度", 1, 0, [this] { size(ItemSizing::MaxWidth); }},
        {"最小\n宽度", "minWidthButton", "最小宽度", 1, 1, [this] { size(ItemSizing::MinWidth); }},
        {"最大\n高度", "maxHeightButton", "最大高度", 1, 2, [this] { size(ItemSizing::MaxHeight); }},
        {"最小\n高度", "minHeightButton", "最小高度", 1, 3, [this] { size(ItemSizing::MinHeight); }},
        {"最大\n宽和高", "maxBothButton", "最大宽度和高度", 1, 4, [this] { size(ItemSizing::MaxBoth); }},
        {"最小\n宽和高", "minBothButton", "最小宽度和高度", 1, 5, [this] { size(ItemSizing::MinBoth); }},
    };
    for (const Placed &p : sizes) {
        QPushButton *b = makeButton(QString::fromUtf8(p.text), p.name);
        b->setToolTip(QString::fromUtf8(p.tip));
        b->setMinimumHeight(2 * b->fontMetrics().height() + 10);
        connect(b, &QPushButton::clicked, this, p.run);
        adjust->addWidget(b, p.row, p.column);
    }
    auto *commands = new QVBoxLayout;
    QPushButton *save = makeButton(QStringLiteral("保存模板"), "saveButton");
    QPushButton *background = makeButton(QStringLiteral("更改背景"), "backgroundButton");
    QPushButton *exit = makeButton(QStringLiteral("退出编辑"), "exitButton");
    undoButton_ = makeButton(QStringLiteral("撤销"), "undoButton");
    redoButton_ = makeButton(QStringLiteral("重做"), "redoButton");
    undoButton_->setToolTip(QStringLiteral("撤销 (Ctrl+Z)"));
    redoButton_->setToolTip(QStringLiteral("重做 (Ctrl+Y)"));
    connect(background, &QPushButton::clicked, this, &CPrintSetup::backgroundRequested);
    for (QPushButton *b : {save, background, exit, undoButton_, redoButton_})
        commands->addWidget(b);
    commands->addStretch(1);
    adjust->addLayout(commands, 0, 6, 3, 1);
    adjust->setRowStretch(2, 1);
    connect(save, &QPushButton::clicked, this, &CPrintSetup::saveTemplate);
    connect(exit, &QPushButton::clicked, this, &CPrintSetup::exitEditing);
    connect(undoButton_, &QPushButton::clicked, this, &CPrintSetup::undo);
    connect(redoButton_, &QPushButton::clicked, this, &CPrintSetup::redo);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addWidget(printBox);
    layout->addWidget(labelBox);
    layout->addWidget(adjustBox);
    layout->addStretch(1);
}

void CPrintSetup::fillLists()
{
    // Every family the system has, sorted as a sorted Windows list sorts
    // (ignoring case).
    QStringList families = QFontDatabase::families();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(families.begin(), families.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    fontList_->addItems(families);
    fontList_->setCurrentIndex(0);
    fontList_->lineEdit()->setCursorPosition(0);
    sizeList_->addItems(sizeEntries());
    sizeList_->setCurrentIndex(static_cast<int>(sizeEntries().indexOf(QStringLiteral("18"))));
    styleList_->addItems(styleEntries());
    styleList_->setCurrentIndex(0);
    colorList_->selectColor(QColor(Qt::black));
}

void CPrintSetup::installTips()
{
    auto *tips = new BlueTips(this);
    for (QPushButton *b : findChildren<QPushButton *>())
        if (!b->toolTip().isEmpty() && b != undoButton_ && b != redoButton_)
            b->installEventFilter(tips);
}

void CPrintSetup::showMargins()
{
    const Template t = view_.currentTemplate();
    leftMargin_->setText(QString::fromStdString(t.leftMargin));
    topMargin_->setText(QString::fromStdString(t.topMargin));
}

void CPrintSetup::syncWithItem(int index)
{
    const MyEdit *e = view_.item(index);
    if (!e)
        return;
    sizeList_->setCurrentIndex(lastMatch(sizeList_, QString::number(e->fontSize() / 6)));
    const int style = e->isBold() ? (e->isItalic() ? 3 : 1) : (e->isItalic() ? 2 : 0);
    styleList_->setCurrentIndex(lastMatch(styleList_, styleEntries().value(style)));
    fontList_->setCurrentIndex(lastMatch(fontList_, e->faceName()));
    fontList_->lineEdit()->setCursorPosition(0);
    const Rgb c = e->textColor();
    colorList_->selectColor(QColor(c.r, c.g, c.b));
}

QString CPrintSetup::statusText() const
{
    const int index = view_.focusItem();
    const MyEdit *e = view_.item(index);
    if (!e)
        return {};
    const render::Resolution dpi = view_.screenResolution();
    // Canvas pixels to millimetres: 25.4 mm to the inch.
    auto mm = [](int pixels, int perInch) { return QString::number(pixels * 25.4 / perInch, 'f', 1); };
    const QRect r = e->geometry();
    const std::string name = fieldName(index);
    return QStringLiteral("%1：左 %2  上 %3  宽 %4  高 %5 (毫米)")
        .arg(name.empty() ? QString::number(e->id()) : QString::fromStdString(name), mm(r.left(), dpi.x),
             mm(r.top(), dpi.y), mm(r.width(), dpi.x), mm(r.height(), dpi.y));
}

void CPrintSetup::emitStatus()
{
    emit statusTextChanged(state_.designMode == 1 ? statusText() : QString());
}

void CPrintSetup::updateUndoButtons()
{
    undoButton_->setEnabled(history_.canUndo());
    redoButton_->setEnabled(history_.canRedo());
}

}
