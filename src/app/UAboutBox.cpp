#include "app/UAboutBox.h"

#include "app/Pictures.h"
#include "app/ViewText.h"
#include "config/UConst.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr const char* kAuthor = "VelkReport developers";
constexpr const char* kAuthorMail = "velkreport@example.org";
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

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(programIcon());
    QFont font = windowFont();
    setFont(font);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFixedSize(242, 188);

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(8, 8, 226, 136);

    Image1 = new QLabel(Panel1);
    Image1->setGeometry(8, 8, 73, 73);
    Image1->setScaledContents(true);
    Image1->setPixmap(paintMeteorScene(146));

    ProductName = new QLabel(Panel1);
    QFont bold = font;
    bold.setBold(true);
    ProductName->setFont(bold);
    ProductName->setGeometry(90, 12, 128, 18);

    Version = new QLabel(Panel1);
    Version->setGeometry(90, 34, 76, 16);

    ProgramIcon = new ClickableLabel(Panel1);
    ProgramIcon->setGeometry(166, 32, 57, 57);
    ProgramIcon->setPixmap(paintEchoAntenna(kNaturalIconSize));

    auto* authorLabel = new QLabel(QStringLiteral("制 作"), Panel1);
    authorLabel->setGeometry(8, 94, 44, 16);
    Copyright = new QLabel(QString::fromUtf8(kAuthor), Panel1);
    Copyright->setGeometry(56, 94, 164, 16);
    auto* mailLabel = new QLabel(QStringLiteral("E-mail"), Panel1);
    mailLabel->setGeometry(8, 114, 44, 16);
    Comments = new QLabel(QString::fromUtf8(kAuthorMail), Panel1);
    Comments->setGeometry(56, 114, 164, 16);
    Comments->setTextInteractionFlags(Qt::TextSelectableByMouse);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setGeometry(83, 153, 75, 25);
    BitBtn1->setDefault(true);

    connect(ProgramIcon, &ClickableLabel::clicked, this, &TAboutBox::ProgramIconClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TAboutBox::BitBtn1Click);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormCreate();
}

void TAboutBox::FormCreate() {
    Version->setText(QString::fromUtf8(kAboutVersion));
    ProductName->setText(QString::fromUtf8(kAppTitle));
    if (DebugMode) {
        BitBtn1->setText(QStringLiteral("デバッグ中"));
    }
}

void TAboutBox::ProgramIconClick() {
    ProgramIcon->setStretched(!ProgramIcon->isStretched());
}

void TAboutBox::BitBtn1Click() {
    hide();
    accept();
}
