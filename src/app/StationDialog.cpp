#include "app/StationDialog.h"

#include "app/CoreTexts.h"
#include "app/MessageBoxes.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstring>
#include <exception>

namespace {

// "[Latitude ]" shows as "Latitude": the brackets and the blank belong to the
// file's block, not to the field.
QString fieldCaption(const StationField& field) {
    QString caption = QString::fromUtf8(field.label);
    if (caption.startsWith(u'[') && caption.endsWith(u']')) {
        caption = caption.mid(1, caption.size() - 2);
    }
    return caption.trimmed();
}

QString fieldHint(const StationField& field) {
    const auto is = [&](const char* key) { return std::strcmp(field.key, key) == 0; };
    if (is("Longitude") || is("LongitudeGMAP")) {
        return StationDialog::tr("度、東経が正 (例 139.7583、139.7583 E)");
    }
    if (is("Latitude") || is("LatitudeGMAP")) {
        return StationDialog::tr("度、北緯が正 (例 35.6889、35.6889 N)");
    }
    if (is("E")) {
        return StationDialog::tr("メールアドレス");
    }
    if (is("Remarks")) {
        return StationDialog::tr("空欄でもかまいません");
    }
    return {};
}

} // namespace

StationDialog::StationDialog(std::string path, const StationInfo& info, QWidget* parent)
    : QDialog(parent), path_(std::move(path)) {
    setWindowTitle(tr("観測局情報"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto& list = stationFields();
    for (size_t i = 0; i < list.size(); ++i) {
        auto* edit = new QLineEdit(QString::fromStdString(info.*(list[i].member)), this);
        edit->setPlaceholderText(fieldHint(list[i]));
        edit->setMinimumWidth(260);
        fields[i] = edit;
        form->addRow(fieldCaption(list[i]), edit);
        connect(edit, &QLineEdit::textChanged, this, &StationDialog::updateWarning);
    }
    auto* intro = new QLabel(tr("RMOBの月別ファイルに書き込む観測局の情報です。"), this);
    warning = new QLabel(this);
    warning->setWordWrap(true);
    QPalette palette = warning->palette();
    palette.setColor(QPalette::WindowText, QColor(170, 0, 0));
    warning->setPalette(palette);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &StationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &StationDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(warning);
    layout->addWidget(buttons);
    updateWarning();
}

StationInfo StationDialog::info() const {
    StationInfo result;
    const auto& list = stationFields();
    for (size_t i = 0; i < list.size(); ++i) {
        result.*(list[i].member) = fields[i]->text().toStdString();
    }
    return result;
}

void StationDialog::accept() {
    const StationInfo edited = info();
    try {
        saveStationInfo(path_, edited);
    } catch (const std::exception& error) {
        showErrorBox(this, error);
        return;
    }
    QDialog::accept();
    emit saved(edited);
}

void StationDialog::updateWarning() {
    warning->setText(coreTextForDisplay(QString::fromStdString(stationWarningText(info()))));
}
