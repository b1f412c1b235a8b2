#include "app/HelpDialog.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

HelpDialog::HelpDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("ヘルプ"));
    auto* text = new QTextBrowser(this);
    text->setHtml(helpText());
    text->setOpenLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
    resize(480, 420);
}

QString HelpDialog::helpText() {
    return tr(
        "<h3>毎日の作業</h3>"
        "<ol>"
        "<li><b>データファイルを開く</b>: 「読み込み」または「velkdata読込」ボタン、"
        "あるいはメニュー「ファイル」の「velkdata.csvファイルを開く」で観測データファイル"
        "(velkdata.csv)を選びます。読み込むとすぐに全部の計算が行われ、"
        "「Main」ページに件数がまとめて表示されます。</li>"
        "<li><b>ページを確認する</b>: 「velkdata.csv」に元のデータ、"
        "「Report TEXT」に日別・時間別のレポート、「Report10 CSV」と「Report60 CSV」に"
        "10分ごとと1時間ごとの表、「No Observe List」に読めなかった行と観測のない時間帯、"
        "「RMOB」にUTの月表、「Colorgramme」に月ごとの図が出ます。"
        "設定を変えたら「再計算」を押してください。</li>"
        "<li><b>ファイルに出力する</b>: 各欄の「file 出力」ボタンで書き出します。"
        "「常にファイルに出力する」をチェックしておくと、読み込みのたびに自動で書き出します。</li>"
        "</ol>"
        "<h3>出力ファイル</h3>"
        "<p>ファイルは「Main」ページの「出力フォルダ」に作られます"
        " (起動したときのカレントフォルダ。「変更...」で選べます)。</p>"
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
        "</ul>"
        "<p>前のファイルは書き換える前に拡張子 .bak の名前で残ります"
        " (NoObsList.txt を除く)。</p>"
        "<p>設定はメニュー「設定」の「設定を保存」で保存され、次回の起動時に読み込まれます。"
        "プログラムのフォルダに書き込めないときは ~/.config/velkreport に保存されます。</p>"
        "<h3>便利な操作</h3>"
        "<ul>"
        "<li>Ctrl+O でファイルを開き、Ctrl+Q で終了、F1 でこのヘルプを開きます。</li>"
        "<li>データファイルをウィンドウにドロップしても開けます。</li>"
        "<li>「ファイル」の「最近使ったファイル」に最近の5個のファイルが並びます。"
        "「起動時に前回のファイルを開く」をチェックすると、次回から自動で開きます。</li>"
        "<li>メニュー「言語 / Language」で日本語と英語を切り替えます。"
        "出力ファイルの中身は言語によって変わりません。</li>"
        "</ul>");
}
