#include "app/HelpDialog.h"

#include "activity/ShowerCatalog.h"
#include "config/StationInfo.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
QString pathText(const std::string& path) {
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path)))
        .toHtmlEscaped();
}

QString dailyWork() {
    return HelpDialog::tr(
        "<h3>毎日の作業</h3>"
        "<ol>"
        "<li><b>データファイルを開く</b>: 「読み込み」または「velkdata読込」ボタン、"
        "あるいはメニュー「ファイル」の「velkdata.csvファイルを開く」で観測データファイル"
        "(velkdata.csv)を選びます。読み込むとすぐに全部の計算が行われ、"
        "「Main」ページに件数がまとめて表示されます。</li>"
        "<li><b>ページを確認する</b>: 「velkdata.csv」に元のデータ、"
        "「Report TEXT」に日別・時間別のレポート、「Report10 CSV」と「Report60 CSV」に"
        "10分ごとと1時間ごとの表、「No Observe List」に読めなかった行と観測のない時間帯、"
        "「RMOB」にUTの月表、「Colorgramme」に月ごとの図、「流星群」に流星群の活動が出ます。"
        "設定を変えたら「再計算」を押してください。</li>"
        "<li><b>ファイルに出力する</b>: 各欄の「file 出力」ボタンで書き出します。"
        "「常にファイルに出力する」をチェックしておくと、読み込みのたびに自動で書き出します。</li>"
        "</ol>");
}

QString outputFiles() {
    return HelpDialog::tr(
        "<h3>出力ファイル</h3>"
        "<p>ファイルは「Main」ページの「出力フォルダ」に作られます (「変更...」で選べます)。</p>"
        "<ul>"
        "<li>report10.csv: 10分ごとの表</li>"
        "<li>report60.csv: 1時間ごとの表</li>"
        "<li>velkreport.txt: 日別・時間別のテキストレポート</li>"
        "<li>rmob.txt: RMOB形式の月表 (UT)</li>"
        "<li>NoObsList.txt: 読めなかった行と観測のない時間帯の一覧 "
        "(読み込みのたびに作られます)</li>"
        "<li>colorgramme_YYYYMM.png: 「Colorgramme」の「画像出力」で書き出す月の図</li>"
        "<li>観測局名_MMYYYYrmob.TXT: "
        "「RMOB」の「月別ファイル出力」で書き出すRMOBへの月別ファイル。"
        "観測局の情報はメニュー「設定」の「観測局情報」で入力します。</li>"
        "<li>activity_符号_年.csv と .png: 「流星群」の「CSV出力」と「画像出力」で書き出す"
        "流星群の活動の表とグラフ</li>"
        "</ul>"
        "<p>前のファイルは書き換える前に拡張子 .bak の名前で残ります"
        " (NoObsList.txt、画像と流星群の表を除く)。</p>");
}

QString showerPage(const std::string& settingsFile) {
    return HelpDialog::tr(
               "<h3>流星群ページ</h3>"
               "<p>流星群の活動を観測局のエコー数から求めます。「流星群」と「年」を選ぶと"
               " (初めはデータの終わりまでに活動期間が終わる一番新しいもの)、"
               "1時間ごとのレート (誤差棒つき)、散在流星のバックグラウンド、その超過と"
               "当てはめたモデルがUTの日付に対して描かれ、上の軸に太陽黄経 (J2000.0) が出ます。"
               "灰色の帯は観測のない時間です。</p>"
               "<ul>"
               "<li>グラフの上の太字の行は当てはめた極大 (太陽黄経とその範囲、超過、振幅の有意度)、"
               "次の行は5時間移動平均のピークとその有意度です。</li>"
               "<li>赤い「注意」の行は結果を疑うべき点です: ピークの同点、観測のない極大、"
               "弱い有意度、片側だけのバックグラウンドなど。</li>"
               "<li>放射点高度を使うには、メニュー「設定」の「観測局情報」に経度と緯度を"
               "入れてください (139.7583、139.7583 E、35 41 20 N などの形が使えます)。"
               "保存するとすぐに計算し直します。</li>"
               "<li>「年ごとに太陽黄経で重ねる」で全部の年の超過を色分けして重ねます。"
               "このときの出力は重ねた全部の年です。</li>"
               "<li>流星群の一覧は同梱の showers.csv です。%1 (同じ列) を置くと"
               "流星群を追加したり置き換えたりできます。</li>"
               "</ul>")
        .arg(pathText(userShowerFileName(settingsFile)));
}

QString settings(const std::string& settingsFile) {
    return HelpDialog::tr("<h3>設定</h3>"
                          "<p>設定はメニュー「設定」の「設定を保存」で %1 に保存され、"
                          "次回の起動時に読み込まれます。観測局情報は %2 に保存されます。</p>")
        .arg(pathText(settingsFile), pathText(defaultStationFileName(settingsFile)));
}

QString handy() {
    return HelpDialog::tr(
        "<h3>便利な操作</h3>"
        "<ul>"
        "<li>Ctrl+O でファイルを開き、Ctrl+Q で終了、F1 でこのヘルプを開きます。</li>"
        "<li>データファイルをウィンドウにドロップしても開けます。</li>"
        "<li>「ファイル」の「最近使ったファイル」に最近の5個のファイルが並びます。"
        "「起動時に前回のファイルを開く」をチェックすると、次回から自動で開きます。</li>"
        "<li>メニュー「言語 / Language」で日本語と英語を切り替えます。"
        "出力ファイルの中身は言語によって変わりません。</li>"
        "<li>ボタンや入力欄にマウスを置くと説明が出ます。</li>"
        "</ul>");
}
} // namespace

HelpDialog::HelpDialog(const std::string& settingsFile, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("ヘルプ"));
    auto* text = new QTextBrowser(this);
    text->setHtml(helpText(settingsFile));
    text->setOpenLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(600, 560);
}

QString HelpDialog::helpText(const std::string& settingsFile) {
    return dailyWork() + outputFiles() + showerPage(settingsFile) + settings(settingsFile) +
           handy();
}
