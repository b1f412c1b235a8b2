#include "app/AboutBox.h"

#include "app/Pictures.h"
#include "app/TextView.h"
#include "config/ProgramInfo.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr const char* kAuthor = "VelkReport developers";
constexpr int kNaturalIconSize = 40; // the second picture unstretched
} // namespace

ClickableLabel::ClickableLabel(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
}

void ClickableLabel::setPixmap(const QPixmap& pixmap) {
    pixmap_ = pixmap;
    update();
}

void ClickableLabel::setStretched(bool stretched) {
    stretched_ = stretched;
    update();
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QWidget::mouseReleaseEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (stretched_) {
        p.drawPixmap(rect(), pixmap_);
        return;
    }
    const QSize natural = pixmap_.deviceIndependentSize().toSize();
    QRect target(QPoint(0, 0), natural);
    target.moveCenter(rect().center());
    p.drawPixmap(target, pixmap_);
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(programIcon());
    setFont(windowFont());
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFixedSize(242, 188);
    buildPanel();
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(83, 153, 75, 25);
    okButton->setDefault(true);
    connect(programIconLabel, &ClickableLabel::clicked, this, &AboutBox::programIconClicked);
    connect(okButton, &QPushButton::clicked, this, &AboutBox::okClicked);
    nameControls();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    startUp();
}

// The sunken panel: the pictures, the name, the version, the author.
void AboutBox::buildPanel() {
    panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 226, 136);
    pictureLabel = new QLabel(panel);
    pictureLabel->setGeometry(8, 8, 73, 73);
    pictureLabel->setScaledContents(true);
    pictureLabel->setPixmap(paintMeteorScene(146));
    productNameLabel = new QLabel(panel);
    QFont bold = font();
    bold.setBold(true);
    productNameLabel->setFont(bold);
    productNameLabel->setGeometry(90, 12, 128, 18);
    versionLabel = new QLabel(panel);
    versionLabel->setGeometry(90, 34, 76, 16);
    programIconLabel = new ClickableLabel(panel);
    programIconLabel->setGeometry(166, 32, 57, 57);
    programIconLabel->setPixmap(paintEchoAntenna(kNaturalIconSize));
    authorLabel = new QLabel(panel);
    authorLabel->setGeometry(8, 94, 44, 16);
    copyrightLabel = new QLabel(QString::fromUtf8(kAuthor), panel);
    copyrightLabel->setGeometry(56, 94, 164, 16);
    // No address is given: the program has none of its own to give. The row
    // says what it runs on instead, which helps a report of a fault.
    auto* qtLabel = new QLabel(QStringLiteral("Qt"), panel);
    qtLabel->setGeometry(8, 114, 44, 16);
    commentsLabel = new QLabel(QString::fromLatin1(qVersion()), panel);
    commentsLabel->setGeometry(56, 114, 164, 16);
    commentsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

// Named after the layout the box was drawn from, like the main window's controls.
void AboutBox::nameControls() {
    const std::pair<QObject*, const char*> names[] = {{panel, "Panel1"},
                                                      {pictureLabel, "Image1"},
                                                      {productNameLabel, "ProductName"},
                                                      {versionLabel, "Version"},
                                                      {programIconLabel, "ProgramIcon"},
                                                      {copyrightLabel, "Copyright"},
                                                      {commentsLabel, "Comments"},
                                                      {okButton, "BitBtn1"}};
    for (const auto& [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
}

void AboutBox::startUp() {
    productNameLabel->setText(QString::fromUtf8(kAppTitle));
    retranslate();
}

void AboutBox::retranslate() {
    setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
    authorLabel->setText(tr("制 作"));
    versionLabel->setText(tr("Version 0.12"));
    okButton->setText(DebugMode ? tr("デバッグ中") : QStringLiteral("OK"));
}

void AboutBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QDialog::changeEvent(event);
}

void AboutBox::programIconClicked() {
    programIconLabel->setStretched(!programIconLabel->isStretched());
}

void AboutBox::okClicked() {
    hide();
    accept();
}
