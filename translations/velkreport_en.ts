<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AboutBox</name>
    <message>
        <location filename="../src/app/AboutBox.cpp" line="132"/>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About VelkReport</translation>
    </message>
    <message>
        <location filename="../src/app/AboutBox.cpp" line="133"/>
        <source>制 作</source>
        <translation>Author</translation>
    </message>
    <message>
        <location filename="../src/app/AboutBox.cpp" line="134"/>
        <source>Version 0.12</source>
        <translation>Version 0.12</translation>
    </message>
    <message>
        <location filename="../src/app/AboutBox.cpp" line="135"/>
        <source>デバッグ中</source>
        <translation>Debugging</translation>
    </message>
</context>
<context>
    <name>ColorgrammePage</name>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="68"/>
        <source>前の月</source>
        <translation>Previous month</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="71"/>
        <source>次の月</source>
        <translation>Next month</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="73"/>
        <source>最大値を固定</source>
        <translation>Fix maximum</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="79"/>
        <source>再計算</source>
        <translation>Recompute</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="81"/>
        <source>画像出力</source>
        <translation>Export picture</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="84"/>
        <source>PNGに加えてJPEGでも出力します</source>
        <translation>Write a JPEG file as well as the PNG</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="86"/>
        <source>この月のRMOBファイル出力</source>
        <translation>This month&apos;s RMOB file</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="88"/>
        <source>表示中の月のRMOB月別ファイルを局情報とともに出力します</source>
        <translation>Writes the monthly RMOB file of the month shown, with the station information</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="102"/>
        <source>月 (UT)</source>
        <translation>Month (UT)</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="227"/>
        <source>時別 (UT)</source>
        <translation>Hourly (UT)</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="228"/>
        <source>日合計</source>
        <translation>Daily totals</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="246"/>
        <source>%1 日合計</source>
        <translation>%1 daily totals</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="287"/>
        <source>%1-%2 時別 (UT)</source>
        <translation>%1-%2 hourly (UT)</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammePage.cpp" line="349"/>
        <source>出力: %1</source>
        <translation>Written: %1</translation>
    </message>
    <message>
        <source>%1 を %2 に出力しました</source>
        <translation>Wrote %1 to %2</translation>
    </message>
</context>
<context>
    <name>ColorgrammeView</name>
    <message>
        <location filename="../src/app/ColorgrammeView.cpp" line="50"/>
        <source> (最大値 %1 を超えています)</source>
        <translation> (above the maximum %1)</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammeView.cpp" line="56"/>
        <source>ノイズ (しきい値以下)</source>
        <translation>Noise (at or below the threshold)</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammeView.cpp" line="59"/>
        <source>観測なし</source>
        <translation>Not observed</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammeView.cpp" line="62"/>
        <source>UT: %1-%2-%3 %4h
地方時: %5
値: %6
観測時間: %7 分
備考: %8</source>
        <translation>UT: %1-%2-%3 %4h
Local time: %5
Value: %6
Observed: %7 min
Remark: %8</translation>
    </message>
    <message>
        <location filename="../src/app/ColorgrammeView.cpp" line="400"/>
        <source>最大 %1</source>
        <translation>Max %1</translation>
    </message>
</context>
<context>
    <name>CoreText</name>
    <message>
        <source>観測局ファイルがありません: </source>
        <translation>No station file: </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="15"/>
        <source>設定ファイルの中身が違います。
デフォルト値を設定しました。</source>
        <translation>The settings file does not hold valid settings.
The defaults were set.</translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="16"/>
        <source>予想外のエラーが発生しました??</source>
        <translation>An unexpected error occurred.</translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="28"/>
        <source>データが不正です。
観測時間が「０」なのにエコー数が記録されています。 
[ </source>
        <translation>Implausible data.
Echoes are recorded although the observed time is 0. 
[ </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="33"/>
        <source>設定内容</source>
        <translation>Settings</translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="34"/>
        <source>設定ファイル名      </source>
        <translation>Settings file       </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="35"/>
        <source>ロングエコーの継続時間</source>
        <translation>Duration of long echoes</translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="36"/>
        <source>       Long を出力  </source>
        <translation>       Long echoes  </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="37"/>
        <source>       Otherを出力  </source>
        <translation>       Other data   </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="38"/>
        <source>       HR出集計する </source>
        <translation>       Hourly rates </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="39"/>
        <source>          破棄する  </source>
        <translation>       Noise below  </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="40"/>
        <source>       1行目の出力  </source>
        <translation>       Header line  </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="41"/>
        <source>  常にファイル出力  </source>
        <translation>  Always write file </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="42"/>
        <source>  Long Echo   出力  </source>
        <translation>  Long echo table   </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="43"/>
        <source>  Other DATA  出力  </source>
        <translation>  Other data table  </translation>
    </message>
    <message>
        <location filename="../src/app/CoreTexts.cpp" line="44"/>
        <source>  時差              </source>
        <translation>  UT offset         </translation>
    </message>
    <message>
        <source>観測局情報に未入力の項目があります: </source>
        <translation>Station fields not filled in: </translation>
    </message>
    <message>
        <source>観測局情報の経度・緯度を読めません (例 139.7583、139.7583 E、35 41 20 N): </source>
        <translation>Station longitude or latitude cannot be read (for example 139.7583, 139.7583 E, 35 41 20 N): </translation>
    </message>
    <message>
        <source>これらの項目は空欄のままファイルに出力します。</source>
        <translation>These fields are written empty.</translation>
    </message>
    <message>
        <source>月別ファイルの文字コード (Latin-1) で書けない文字があります (ローマ字で入力してください。書けない文字は「?」になります): </source>
        <translation>Characters the monthly file&apos;s code (Latin-1) cannot hold (type them in Latin letters; they are written as &quot;?&quot;): </translation>
    </message>
</context>
<context>
    <name>HelpDialog</name>
    <message>
        <location filename="../src/app/HelpDialog.cpp" line="8"/>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>&lt;h3&gt;出力ファイル&lt;/h3&gt;&lt;p&gt;ファイルは「Main」ページの「出力フォルダ」に作られます (「変更...」で選べます)。&lt;/p&gt;&lt;ul&gt;&lt;li&gt;report10.csv: 10分ごとの表&lt;/li&gt;&lt;li&gt;report60.csv: 1時間ごとの表&lt;/li&gt;&lt;li&gt;velkreport.txt: 日別・時間別のテキストレポート&lt;/li&gt;&lt;li&gt;rmob.txt: RMOB形式の月表 (UT)&lt;/li&gt;&lt;li&gt;NoObsList.txt: 読めなかった行と観測のない時間帯の一覧 (読み込みのたびに作られます)&lt;/li&gt;&lt;li&gt;colorgramme_YYYYMM.png: 「Colorgramme」の「画像出力」で書き出す月の図&lt;/li&gt;&lt;li&gt;観測局名_MMYYYYrmob.TXT: 「RMOB」の「月別ファイル出力」で書き出すRMOBへの月別ファイル。観測局の情報はメニュー「設定」の「観測局情報」で入力します。&lt;/li&gt;&lt;li&gt;activity_符号_年.csv と .png: 「流星群」の「CSV出力」と「画像出力」で書き出す流星群の活動の表とグラフ&lt;/li&gt;&lt;/ul&gt;&lt;p&gt;前のファイルは書き換える前に拡張子 .bak の名前で残ります (NoObsList.txt、画像と流星群の表を除く)。&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Output files&lt;/h3&gt;&lt;p&gt;The files are made in the &quot;Output folder&quot; shown on the &quot;Main&quot; page (&quot;Change...&quot; chooses another).&lt;/p&gt;&lt;ul&gt;&lt;li&gt;report10.csv: the ten-minute table&lt;/li&gt;&lt;li&gt;report60.csv: the hourly table&lt;/li&gt;&lt;li&gt;velkreport.txt: the day-by-hour text report&lt;/li&gt;&lt;li&gt;rmob.txt: the monthly tables in the RMOB layout (UT)&lt;/li&gt;&lt;li&gt;NoObsList.txt: the lines that could not be read and the slots not observed (made on every read)&lt;/li&gt;&lt;li&gt;colorgramme_YYYYMM.png: the month&apos;s picture, written by &quot;Export picture&quot; on the &quot;Colorgramme&quot; page&lt;/li&gt;&lt;li&gt;Observer_MMYYYYrmob.TXT: the monthly files for the RMOB bulletin, written by &quot;Monthly files&quot; on the &quot;RMOB&quot; page. The station information is entered under &quot;Station information&quot; in the &quot;Settings&quot; menu.&lt;/li&gt;&lt;li&gt;activity_CODE_YEAR.csv and .png: the table and the chart of a shower&apos;s activity, written by &quot;Export CSV&quot; and &quot;Export picture&quot; on the &quot;Showers&quot; page&lt;/li&gt;&lt;/ul&gt;&lt;p&gt;Before a file is rewritten, the previous one is kept with the extension .bak (except NoObsList.txt, the pictures and the shower tables).&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;h3&gt;流星群ページ&lt;/h3&gt;&lt;p&gt;流星群の活動を観測局のエコー数から求めます。「流星群」と「年」を選ぶと (初めはデータの終わりまでに活動期間が終わる一番新しいもの)、1時間ごとのレート (誤差棒つき)、散在流星のバックグラウンド、その超過と当てはめたモデルがUTの日付に対して描かれ、上の軸に太陽黄経 (J2000.0) が出ます。灰色の帯は観測のない時間です。&lt;/p&gt;&lt;ul&gt;&lt;li&gt;グラフの上の太字の行は当てはめた極大 (太陽黄経とその範囲、超過、振幅の有意度)、次の行は5時間移動平均のピークとその有意度です。&lt;/li&gt;&lt;li&gt;赤い「注意」の行は結果を疑うべき点です: ピークの同点、観測のない極大、弱い有意度、片側だけのバックグラウンドなど。&lt;/li&gt;&lt;li&gt;放射点高度を使うには、メニュー「設定」の「観測局情報」に経度と緯度を入れてください (139.7583、139.7583 E、35 41 20 N などの形が使えます)。保存するとすぐに計算し直します。&lt;/li&gt;&lt;li&gt;「年ごとに太陽黄経で重ねる」で全部の年の超過を色分けして重ねます。このときの出力は重ねた全部の年です。&lt;/li&gt;&lt;li&gt;流星群の一覧は同梱の showers.csv です。%1 (同じ列) を置くと流星群を追加したり置き換えたりできます。&lt;/li&gt;&lt;/ul&gt;</source>
        <translation>&lt;h3&gt;The Showers page&lt;/h3&gt;&lt;p&gt;The page works out a meteor shower&apos;s activity from the station&apos;s echo counts. Choose a shower and a year (at first the newest whose activity period ends within the data): the hourly rate (with error bars), the sporadic background, the excess over it and the fitted model are drawn against the UT date, with the solar longitude (J2000.0) on the top axis. Grey bands are hours not observed.&lt;/p&gt;&lt;ul&gt;&lt;li&gt;The bold line above the chart is the fitted maximum (its solar longitude with its interval, the excess, the amplitude&apos;s significance); the next line is the peak of the 5-hour running mean with its significance.&lt;/li&gt;&lt;li&gt;The red &quot;Warning&quot; lines are reasons to doubt the result: a tie for the peak, a maximum not observed, a weak significance, a background from one side only, and so on.&lt;/li&gt;&lt;li&gt;For the radiant&apos;s elevation, enter the station&apos;s longitude and latitude under &quot;Station information&quot; in the &quot;Settings&quot; menu (forms such as 139.7583, 139.7583 E, 35 41 20 N are read). Once saved, the page works the shower out again at once.&lt;/li&gt;&lt;li&gt;&quot;Overlay the years by solar longitude&quot; draws every year&apos;s excess, each in its own colour; the exports then hold every year overlaid.&lt;/li&gt;&lt;li&gt;The shower list is the shipped showers.csv. A file %1 (same columns) adds showers or replaces them.&lt;/li&gt;&lt;/ul&gt;</translation>
    </message>
    <message>
        <source>&lt;h3&gt;設定&lt;/h3&gt;&lt;p&gt;設定はメニュー「設定」の「設定を保存」で %1 に保存され、次回の起動時に読み込まれます。観測局情報は %2 に保存されます。&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Settings&lt;/h3&gt;&lt;p&gt;&quot;Save settings&quot; in the &quot;Settings&quot; menu keeps the settings in %1, read at the next start. The station information is kept in %2.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;h3&gt;便利な操作&lt;/h3&gt;&lt;ul&gt;&lt;li&gt;Ctrl+O でファイルを開き、Ctrl+Q で終了、F1 でこのヘルプを開きます。&lt;/li&gt;&lt;li&gt;データファイルをウィンドウにドロップしても開けます。&lt;/li&gt;&lt;li&gt;「ファイル」の「最近使ったファイル」に最近の5個のファイルが並びます。「起動時に前回のファイルを開く」をチェックすると、次回から自動で開きます。&lt;/li&gt;&lt;li&gt;メニュー「言語 / Language」で日本語と英語を切り替えます。出力ファイルの中身は言語によって変わりません。&lt;/li&gt;&lt;li&gt;ボタンや入力欄にマウスを置くと説明が出ます。&lt;/li&gt;&lt;/ul&gt;</source>
        <translation>&lt;h3&gt;Handy&lt;/h3&gt;&lt;ul&gt;&lt;li&gt;Ctrl+O opens a file, Ctrl+Q quits, F1 opens this help.&lt;/li&gt;&lt;li&gt;A data file dropped on the window opens too.&lt;/li&gt;&lt;li&gt;&quot;Recent files&quot; in the &quot;File&quot; menu lists the last five files. With &quot;Reopen the last file at start&quot; checked, the last one opens at the next start.&lt;/li&gt;&lt;li&gt;The menu &quot;言語 / Language&quot; switches between Japanese and English. The output files are the same in either language.&lt;/li&gt;&lt;li&gt;Resting the mouse on a button or a field tells what it does.&lt;/li&gt;&lt;/ul&gt;</translation>
    </message>
    <message>
        <source>&lt;h3&gt;毎日の作業&lt;/h3&gt;&lt;ol&gt;&lt;li&gt;&lt;b&gt;データファイルを開く&lt;/b&gt;: 「読み込み」または「velkdata読込」ボタン、あるいはメニュー「ファイル」の「velkdata.csvファイルを開く」で観測データファイル(velkdata.csv)を選びます。読み込むとすぐに全部の計算が行われ、「Main」ページに件数がまとめて表示されます。&lt;/li&gt;&lt;li&gt;&lt;b&gt;ページを確認する&lt;/b&gt;: 「velkdata.csv」に元のデータ、「Report TEXT」に日別・時間別のレポート、「Report10 CSV」と「Report60 CSV」に10分ごとと1時間ごとの表、「No Observe List」に読めなかった行と観測のない時間帯、「RMOB」にUTの月表、「Colorgramme」に月ごとの図、「流星群」に流星群の活動が出ます。設定を変えたら「再計算」を押してください。&lt;/li&gt;&lt;li&gt;&lt;b&gt;ファイルに出力する&lt;/b&gt;: 各欄の「file 出力」ボタンで書き出します。「常にファイルに出力する」をチェックしておくと、読み込みのたびに自動で書き出します。&lt;/li&gt;&lt;/ol&gt;</source>
        <translation>&lt;h3&gt;Daily work&lt;/h3&gt;&lt;ol&gt;&lt;li&gt;&lt;b&gt;Open the data file&lt;/b&gt;: choose the observation data file (velkdata.csv) with the &quot;Open&quot; or &quot;Open velkdata&quot; button, or with &quot;Open velkdata.csv file&quot; in the &quot;File&quot; menu. Everything is computed as soon as it is read, and the &quot;Main&quot; page shows the counts.&lt;/li&gt;&lt;li&gt;&lt;b&gt;Look at the pages&lt;/b&gt;: &quot;velkdata.csv&quot; shows the raw data, &quot;Report TEXT&quot; the day-by-hour report, &quot;Report10 CSV&quot; and &quot;Report60 CSV&quot; the ten-minute and hourly tables, &quot;No Observe List&quot; the lines that could not be read and the slots not observed, &quot;RMOB&quot; the monthly tables in UT, &quot;Colorgramme&quot; a picture of each month, and &quot;Showers&quot; the activity of meteor showers. After changing a setting, press &quot;Recompute&quot;.&lt;/li&gt;&lt;li&gt;&lt;b&gt;Write the files&lt;/b&gt;: each band&apos;s &quot;Write file&quot; button writes its file. With &quot;Always write the file&quot; checked, the file is written after every read.&lt;/li&gt;&lt;/ol&gt;</translation>
    </message>
</context>
<context>
    <name>LargeTextView</name>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="35"/>
        <source>次を検索</source>
        <translation>Find next</translation>
    </message>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="37"/>
        <source>前を検索</source>
        <translation>Find previous</translation>
    </message>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="39"/>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="40"/>
        <source>検索:</source>
        <translation>Find:</translation>
    </message>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="149"/>
        <source>行へ移動</source>
        <translation>Go to line</translation>
    </message>
    <message>
        <location filename="../src/app/LargeTextView.cpp" line="149"/>
        <source>行番号 (1～%1):</source>
        <translation>Line number (1 to %1):</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp"/>
        <source>ライブ</source>
        <translation>Live</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1</source>
        <translation>Live: %1</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 が短くなりました。最初から読み直しました。</source>
        <translation>Live: %1 shrank; it was read again from its start.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 が置き換えられました。最初から読み直しました。</source>
        <translation>Live: %1 was replaced; it was read again from its start.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 の前の部分が変わりました。最初から読み直しました。</source>
        <translation>Live: %1 changed before its end; it was read again from its start.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 が戻りました。</source>
        <translation>Live: %1 is back.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: 最終行 %1 (%2 分前)</source>
        <translation>Live: last line %1 (%2 min ago)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 がありません。最後の内容を表示しています。</source>
        <translation>Live: %1 is missing; the pages show its last contents.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLive.cpp"/>
        <source>ライブ: %1 から新しい行が来ていません</source>
        <translation>Live: no new line since %1</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowRun.cpp" line="26"/>
        <source>行の読み取り</source>
        <translation>Reading the lines</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowRun.cpp" line="27"/>
        <source>時間ごとの集計</source>
        <translation>Folding into hours</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowRun.cpp" line="28"/>
        <source>ファイルの出力</source>
        <translation>Writing the files</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="65"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="205"/>
        <source>出力フォルダ</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="88"/>
        <source>VelkReport Vertion 0.12</source>
        <translation>VelkReport Version 0.12</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="90"/>
        <source>計算中</source>
        <translation>Computing</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="115"/>
        <source>CSVファイル(*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="115"/>
        <source>テキストファイル(*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="116"/>
        <source>すべてのファイル(*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="370"/>
        <source>フォルダ「%1」に移動できません。</source>
        <translation>Cannot change to the folder &quot;%1&quot;.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="375"/>
        <source>出力フォルダ: %1</source>
        <translation>Output folder: %1</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="380"/>
        <source>%1 を %2 に出力しました</source>
        <translation>Wrote %1 into %2</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowProgress.cpp" line="31"/>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="440"/>
        <source>%1 を読み込みました (%2 行、不良 %3 行)。出力先: %4</source>
        <translation>Read %1 (%2 lines, %3 rejected). Outputs go to %4</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowProgress.cpp" line="61"/>
        <source>表示しなかったメッセージが %1 件あります。</source>
        <translation>%1 messages were not shown.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowProgress.cpp" line="80"/>
        <source>計算を中止しました。前のデータのままです。</source>
        <translation>The computation was stopped. The previous data are kept.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="540"/>
        <source> (要再計算)</source>
        <translation> (recompute)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="541"/>
        <source>設定が変わりました。再計算で新しい設定に合わせます。</source>
        <translation>A setting has changed. Recompute to apply it.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="576"/>
        <source>出力する月がありません。先にデータファイルを読み込んでください。</source>
        <translation>There is no month to write. Open a data file first.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="579"/>
        <source>RMOB月別ファイルを %1 個出力しました。</source>
        <translation>Wrote %1 monthly RMOB files.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="587"/>
        <source>画像を %1 個出力しました。</source>
        <translation>Wrote %1 pictures.</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="589"/>
        <source>RMOB月別ファイルを %1 個 %2 に出力しました</source>
        <translation>Wrote %1 monthly RMOB files into %2</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindow.cpp" line="615"/>
        <source>設定を %1 に保存しました</source>
        <translation>Settings saved to %1</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="117"/>
        <source>Orginal velkdata.csv</source>
        <translation>Original velkdata.csv</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="121"/>
        <source>Long echo</source>
        <translation>Long echo</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="122"/>
        <source>Other Data</source>
        <translation>Other Data</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="123"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="145"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="341"/>
        <source>再計算</source>
        <translation>Recompute</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="124"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="146"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="265"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="291"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="321"/>
        <source>file 出力</source>
        <translation>Write file</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="147"/>
        <source>月別ファイル出力</source>
        <translation>Monthly files</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="149"/>
        <source>UTの月ごとにRMOBへ送るファイルを観測局情報つきで出力します</source>
        <translation>Writes one file per UT month for the RMOB bulletin, with the station information</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="150"/>
        <source>画像も出力</source>
        <translation>With pictures</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="164"/>
        <source>流星群</source>
        <translation>Showers</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="195"/>
        <source>データファイル名(velkdata.csv)</source>
        <translation>Data file (velkdata.csv)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="198"/>
        <source>読み込み</source>
        <translation>Open</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="208"/>
        <source>変更...</source>
        <translation>Change...</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="218"/>
        <source>最初のデータ</source>
        <translation>First line</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="219"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="223"/>
        <source>日時</source>
        <translation>Time</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="220"/>
        <source>入力数</source>
        <translation>Lines</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="221"/>
        <source>合計数</source>
        <translation>Rows</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="222"/>
        <source>最後のデータ</source>
        <translation>Last line</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="224"/>
        <source>不良数</source>
        <translation>Rejected</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="225"/>
        <source>不足数</source>
        <translation>Missing</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="240"/>
        <source>ロングエコーの継続時間</source>
        <translation>Duration of long echoes</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="243"/>
        <source>Long  Echo データ</source>
        <translation>Long Echo data</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="246"/>
        <source>Other Data データ</source>
        <translation>Other Data data</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="251"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="255"/>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="266"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="292"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="324"/>
        <source>常にファイルに出力する</source>
        <translation>Always write the file</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="267"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="293"/>
        <source>Long  Echo データを出力する</source>
        <translation>Include Long Echo data</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="268"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="294"/>
        <source>Other Data データを出力する</source>
        <translation>Include Other Data data</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="269"/>
        <source>HRで集計する（１時間未満は%を付ける）</source>
        <translation>Hourly rates (% after partial hours)</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="278"/>
        <source>分以下のデータはノイズ表示</source>
        <translation>minutes or fewer: shown as noise</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="303"/>
        <source>UTとの時差</source>
        <translation>Offset to UT</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="323"/>
        <source>1行目にデータフォーマットを出力する</source>
        <translation>Write the format as the first line</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="340"/>
        <source>velkdata読込</source>
        <translation>Open velkdata</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="342"/>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="371"/>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="373"/>
        <source>velkdata.csvファイルを開く(&amp;O)...</source>
        <translation>&amp;Open velkdata.csv file...</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="375"/>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="376"/>
        <source>起動時に前回のファイルを開く</source>
        <translation>Reopen the last file at start</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="379"/>
        <source>出力フォルダの変更(&amp;D)...</source>
        <translation>Change output fol&amp;der...</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="381"/>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="382"/>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="383"/>
        <source>初期設定に戻す(&amp;D)</source>
        <translation>Restore &amp;defaults</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="384"/>
        <source>設定を保存(&amp;S)</source>
        <translation>&amp;Save settings</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="386"/>
        <source>観測局情報(&amp;I)...</source>
        <translation>Station &amp;information...</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="396"/>
        <location filename="../src/app/MainWindowLayout.cpp" line="397"/>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="398"/>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="399"/>
        <source>デバッグ</source>
        <translation>Debug</translation>
    </message>
    <message>
        <location filename="../src/app/MainWindowLayout.cpp" line="400"/>
        <source>設定の表示</source>
        <translation>Show settings</translation>
    </message>
    <message>
        <source>観測データファイルを選んで読み込み、全部を計算します</source>
        <translation>Choose an observation data file, read it and compute everything</translation>
    </message>
    <message>
        <source>読み込んだデータファイル</source>
        <translation>The data file read</translation>
    </message>
    <message>
        <source>出力ファイルはこのフォルダに作られます</source>
        <translation>The output files are made in this folder</translation>
    </message>
    <message>
        <source>出力ファイルを作るフォルダを選びます</source>
        <translation>Choose the folder the output files are made in</translation>
    </message>
    <message>
        <source>ファイルの最初のデータ行</source>
        <translation>The first data line of the file</translation>
    </message>
    <message>
        <source>最後に読み取ったデータ行</source>
        <translation>The last data line read</translation>
    </message>
    <message>
        <source>最初の10分枠の日時</source>
        <translation>Date and time of the first ten-minute slot</translation>
    </message>
    <message>
        <source>最後の10分枠の日時</source>
        <translation>Date and time of the last ten-minute slot</translation>
    </message>
    <message>
        <source>データファイルの行数</source>
        <translation>Lines in the data file</translation>
    </message>
    <message>
        <source>10分ごとの表の行数 (観測のない枠を含む)</source>
        <translation>Rows of the ten-minute table (slots not observed included)</translation>
    </message>
    <message>
        <source>読めなかった行と不正な行の数 (No Observe List に一覧)</source>
        <translation>Lines that could not be read or were implausible (listed on No Observe List)</translation>
    </message>
    <message>
        <source>観測のない10分枠の数</source>
        <translation>Ten-minute slots not observed</translation>
    </message>
    <message>
        <source>RMOBの表の見出しにロングエコーの継続時間を書きます</source>
        <translation>Name the long echoes&apos; duration in the RMOB tables&apos; headings</translation>
    </message>
    <message>
        <source>RMOBの表の見出しに Other Data の継続時間を書きます</source>
        <translation>Name the Other Data duration in the RMOB tables&apos; headings</translation>
    </message>
    <message>
        <source>テキストレポート velkreport.txt を作り直して出力します</source>
        <translation>Rebuild the text report and write velkreport.txt</translation>
    </message>
    <message>
        <source>読み込みや再計算のたびに velkreport.txt を出力します</source>
        <translation>Write velkreport.txt after every read and recompute</translation>
    </message>
    <message>
        <source>1時間あたりの数にします。観測が1時間未満の時間には%を付けます</source>
        <translation>Count per hour; hours observed for less than an hour are marked with %</translation>
    </message>
    <message>
        <source>観測がこの分数以下の時間はノイズとして扱います</source>
        <translation>Hours observed for this many minutes or fewer count as noise</translation>
    </message>
    <message>
        <source>RMOBの月表 rmob.txt を作り直して出力します</source>
        <translation>Rebuild the RMOB monthly tables and write rmob.txt</translation>
    </message>
    <message>
        <source>読み込みや再計算のたびに rmob.txt を出力します</source>
        <translation>Write rmob.txt after every read and recompute</translation>
    </message>
    <message>
        <source>UTとデータファイルの時刻の差 (時間)。日本時間なら -9</source>
        <translation>Hours between UT and the data file&apos;s times; -9 for Japan Standard Time</translation>
    </message>
    <message>
        <source>10分ごとの表 report10.csv を出力します</source>
        <translation>Write the ten-minute table report10.csv</translation>
    </message>
    <message>
        <source>1時間ごとの表 report60.csv を出力します</source>
        <translation>Write the hourly table report60.csv</translation>
    </message>
    <message>
        <source>表の1行目に列の名前を書きます</source>
        <translation>Write the columns&apos; names on the table&apos;s first line</translation>
    </message>
    <message>
        <source>読み込みや再計算のたびに report10.csv を出力します</source>
        <translation>Write report10.csv after every read and recompute</translation>
    </message>
    <message>
        <source>読み込みや再計算のたびに report60.csv を出力します</source>
        <translation>Write report60.csv after every read and recompute</translation>
    </message>
    <message>
        <source>今の設定でデータファイルを読み直して全部を計算します</source>
        <translation>Read the data file again and compute everything with the settings of now</translation>
    </message>
    <message>
        <source>プログラムを終了します</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>読み取りは %1 行目のバイト %2 にあるファイル終端の印 (Ctrl-Z) で終わりました。その後の行は読んでいません。</source>
        <translation>Reading stopped at an end-of-file mark (Ctrl-Z) on line %1, byte %2. The lines after it were not read.</translation>
    </message>
    <message>
        <source>読み取りの終わり: 終端の印 (Ctrl-Z)、%1 行目、バイト %2</source>
        <translation>Reading stopped: end-of-file mark (Ctrl-Z), line %1, byte %2</translation>
    </message>
    <message>
        <source>ファイル: %1
行: %2</source>
        <translation>File: %1
Line: %2</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>すべて選択(&amp;A)</source>
        <translation>Select &amp;All</translation>
    </message>
    <message>
        <source>検索(&amp;F)...</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>次を検索(&amp;N)</source>
        <translation>Find &amp;Next</translation>
    </message>
    <message>
        <source>行へ移動(&amp;G)...</source>
        <translation>&amp;Go to Line...</translation>
    </message>
    <message>
        <source>手で書き換えてあります。file 出力 で書き出すか、再計算で作り直すまでこの印が付きます。</source>
        <translation>Edited by hand. The mark stays until the page is written (Write file) or built again (Recompute).</translation>
    </message>
    <message>
        <source>設定が変更されています。保存しますか?</source>
        <translation>The settings have changed. Save them?</translation>
    </message>
    <message>
        <source>すべての設定を初期値に戻しますか?</source>
        <translation>Restore every setting to its default?</translation>
    </message>
</context>
<context>
    <name>MessageBoxes</name>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="31"/>
        <source>開けません</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="33"/>
        <source>読み込めません</source>
        <translation>cannot be read</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="35"/>
        <source>作成できません</source>
        <translation>cannot be created</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="37"/>
        <source>書き込めません</source>
        <translation>cannot be written</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="39"/>
        <source>フォルダを移動できません</source>
        <translation>cannot be entered as a folder</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="41"/>
        <source>使えません</source>
        <translation>cannot be used</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="47"/>
        <source>不明</source>
        <translation>unknown</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="51"/>
        <source>アクセスが許可されていません</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="53"/>
        <source>ファイルまたはフォルダがありません</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="55"/>
        <source>パスの途中にフォルダでないものがあります</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="58"/>
        <source>同じ名前のフォルダがあります</source>
        <translation>a folder of that name exists</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="60"/>
        <source>ディスクの空きがありません</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="62"/>
        <source>ディスクの使用量の上限に達しました</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="64"/>
        <source>読み取り専用の場所です</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="66"/>
        <source>名前が長すぎます</source>
        <translation>name too long</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="69"/>
        <source>開いているファイルが多すぎます</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="71"/>
        <source>入出力エラーが起きました</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="73"/>
        <source>ファイルはすでに閉じられています</source>
        <translation>the file was already closed</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="75"/>
        <source>エラー %1 (%2)</source>
        <translation>error %1 (%2)</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="118"/>
        <source>この処理の残りのメッセージを表示しない</source>
        <translation>Do not show the remaining messages of this run</translation>
    </message>
    <message>
        <location filename="../src/app/MessageBoxes.cpp" line="130"/>
        <source>ファイル「%1」を%2。
原因: %3</source>
        <translation>The file &quot;%1&quot; %2.
Cause: %3</translation>
    </message>
</context>
<context>
    <name>ShowerChartView</name>
    <message>
        <source>レート</source>
        <translation>Rate</translation>
    </message>
    <message>
        <source>観測なし</source>
        <translation>Not observed</translation>
    </message>
    <message>
        <source>バックグラウンド</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>超過</source>
        <translation>Excess</translation>
    </message>
    <message>
        <source>当てはめ</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>活動プロファイル (高度係数 1)</source>
        <translation>Activity profile (elevation factor 1)</translation>
    </message>
    <message>
        <source>日付 (UT)</source>
        <translation>Date (UT)</translation>
    </message>
    <message>
        <source>太陽黄経 (J2000.0, 度)</source>
        <translation>Solar longitude (J2000.0, degrees)</translation>
    </message>
    <message>
        <source>エコー数/時</source>
        <translation>Echoes/hour</translation>
    </message>
    <message>
        <source>超過 (エコー/時)</source>
        <translation>Excess (echoes/hour)</translation>
    </message>
</context>
<context>
    <name>ShowerPage</name>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="88"/>
        <source>年ごとに太陽黄経で重ねる</source>
        <translation>Overlay the years by solar longitude</translation>
    </message>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="90"/>
        <source>CSV出力</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="92"/>
        <source>画像出力</source>
        <translation>Export picture</translation>
    </message>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="114"/>
        <source>流星群</source>
        <translation>Showers</translation>
    </message>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="116"/>
        <source>年</source>
        <translation>Year</translation>
    </message>
    <message>
        <location filename="../src/app/ShowerPage.cpp" line="218"/>
        <source>一覧のどの流星群の活動期間もデータに含まれていません</source>
        <translation>The data cover the activity period of no listed shower</translation>
    </message>
    <message>
        <source>表示中の年ごとの表を activity_符号_年.csv として出力します</source>
        <translation>Writes the table of each year shown as activity_CODE_YEAR.csv</translation>
    </message>
    <message>
        <source>表示中のグラフを 1600 x 900 のPNG画像として出力します</source>
        <translation>Writes the chart shown as a 1600 x 900 PNG picture</translation>
    </message>
    <message>
        <source>%1 を %2 に出力しました</source>
        <translation>Wrote %1 to %2</translation>
    </message>
</context>
<context>
    <name>ShowerTexts</name>
    <message>
        <source>活動期間にバックグラウンドを求められた観測時間がありません</source>
        <translation>no observed hours with a background in the activity period</translation>
    </message>
    <message>
        <source>バックグラウンドを求める観測日がありません</source>
        <translation>no observed reference days for the background</translation>
    </message>
    <message>
        <source>活動期間にバックグラウンドを超える時間がありません</source>
        <translation>no excess over the background in the activity period</translation>
    </message>
    <message>
        <source>ピークがありません</source>
        <translation>no peak</translation>
    </message>
    <message>
        <source>当てはめるバックグラウンド超過がありません</source>
        <translation>no excess over the background to fit</translation>
    </message>
    <message>
        <source>誤差を求められない時間があります</source>
        <translation>a point without a usable error</translation>
    </message>
    <message>
        <source>どの観測時間も放射点が地平線の下でした</source>
        <translation>the radiant stayed below the horizon in every observed hour</translation>
    </message>
    <message>
        <source>当てはめの値が有限になりません</source>
        <translation>the fit gave no finite values</translation>
    </message>
    <message>
        <source>データにプロファイルで表せる増減がありません</source>
        <translation>the data show no rise and fall that the profile could follow</translation>
    </message>
    <message>
        <source>当てはめが収束しませんでした</source>
        <translation>the fit did not converge</translation>
    </message>
    <message>
        <source>極大は観測時間の外にあります (端に近づくほど当てはまりが良くなります)</source>
        <translation>the maximum lies beyond the observed hours (the fit improves up to their end)</translation>
    </message>
    <message>
        <source>当てはめのパラメータを区別できません</source>
        <translation>the fit&apos;s parameters could not be told apart</translation>
    </message>
    <message>
        <source>カタログの極大</source>
        <translation>the catalogue maximum</translation>
    </message>
    <message>
        <source>ピーク</source>
        <translation>the peak</translation>
    </message>
    <message>
        <source>当てはめの極大</source>
        <translation>the fitted maximum</translation>
    </message>
    <message>
        <source> (ほかに %1 個)</source>
        <translation> (and %1 more)</translation>
    </message>
    <message>
        <source>ピークが同点です: %1 と %2 の移動平均の超過がどちらも %3。早い方をピークとしています</source>
        <translation>Two hours tie for the peak: %1 and %2 both have a mean excess of %3; the earlier is given</translation>
    </message>
    <message>
        <source>ピーク %1 (超過 %2) と別の候補 %3 (超過 %4) の差 %5 ± %6 は誤差の範囲内です</source>
        <translation>The peak %1 (excess %2) and another candidate %3 (excess %4) differ by %5 ± %6, within their errors</translation>
    </message>
    <message>
        <source>ピークはバックグラウンドの %1σ 上にすぎません</source>
        <translation>The peak is only %1σ above the background</translation>
    </message>
    <message>
        <source>当てはめの振幅は %1σ にすぎません</source>
        <translation>The fitted amplitude is only %1σ above zero</translation>
    </message>
    <message>
        <source>当てはめの極大 (%1) は観測のない時間 (%2 ～ %3) にあります。時刻は前後から推定したものです</source>
        <translation>The fitted maximum (%1) falls in unobserved hours (%2 to %3): its time is inferred from the flanks</translation>
    </message>
    <message>
        <source>当てはめの極大 (%1) は放射点が地平線の下 (%2°) にある時刻です。時刻は前後から推定したものです</source>
        <translation>The fitted maximum (%1) falls while the radiant is below the horizon (%2°): its time is inferred from the flanks</translation>
    </message>
    <message>
        <source>当てはめに同じくらいの深さの極小が2つあります: 太陽黄経 %1° (最良) と %2° (カイ二乗が %3 大きい)</source>
        <translation>The fit has two minima of similar depth: solar longitude %1° (best) and %2° (chi-square higher by %3)</translation>
    </message>
    <message>
        <source>極大の範囲が観測時間の始まり (%1°) に届いています。もっと前まで広がるかもしれません</source>
        <translation>The interval of the fitted maximum reaches the start of the observed hours (%1°): it may reach further</translation>
    </message>
    <message>
        <source>極大の範囲が観測時間の終わり (%1°) に届いています。もっと後まで広がるかもしれません</source>
        <translation>The interval of the fitted maximum reaches the end of the observed hours (%1°): it may reach further</translation>
    </message>
    <message>
        <source>当てはめの立ち上がりが上限の急さ (%1 /度) です。極大の位置は少数の時間で決まっています</source>
        <translation>The fitted rise is as steep as the fit allows (%1 per degree): a few hours decide where the maximum is</translation>
    </message>
    <message>
        <source>当てはめの立ち下がりが上限の急さ (%1 /度) です。極大の位置は少数の時間で決まっています</source>
        <translation>The fitted fall is as steep as the fit allows (%1 per degree): a few hours decide where the maximum is</translation>
    </message>
    <message>
        <source>%1 (%2) の前後12時間のうち %3 時間は観測がありません (%4 ～ %5)</source>
        <translation>%3 of the 24 hours within 12 hours of %1 (%2) were not observed (%4 to %5)</translation>
    </message>
    <message>
        <source>バックグラウンドは活動期間の前の日 (%1) だけから求めています。期間中の散在流星の変化には追随できません</source>
        <translation>The background comes from days before the period only (%1): it cannot follow a drift of the sporadic rate across the period</translation>
    </message>
    <message>
        <source>バックグラウンドは活動期間の後の日 (%1) だけから求めています。期間中の散在流星の変化には追随できません</source>
        <translation>The background comes from days after the period only (%1): it cannot follow a drift of the sporadic rate across the period</translation>
    </message>
    <message>
        <source>期間外の参照日が足りないため、バックグラウンドは極大から最も遠い観測日 (%1) から求めています</source>
        <translation>Too few reference days outside the period: the background comes from the observed days farthest from the maximum (%1)</translation>
    </message>
    <message>
        <source>当てはめなし: %1</source>
        <translation>No fit: %1</translation>
    </message>
    <message>
        <source>極大 (当てはめ) %1  太陽黄経 %2° (範囲 %3° ～ %4°)  超過 %5 ± %6 /時  振幅 %7σ</source>
        <translation>Maximum (fit) %1  solar longitude %2° (interval %3° to %4°)  excess %5 ± %6 /h  amplitude %7σ</translation>
    </message>
    <message>
        <source>ピークなし: %1</source>
        <translation>No peak: %1</translation>
    </message>
    <message>
        <source>ピーク (移動平均) %1  太陽黄経 %2°  超過 %3 /時  有意度 %4σ  参照日 %5 日</source>
        <translation>Peak (running mean) %1  solar longitude %2°  excess %3 /h  significance %4σ  reference days %5</translation>
    </message>
    <message>
        <source>放射点高度 h への応答 sin(h)^%1 cos(h)^%2 (最大 %3°)  換算カイ二乗 %4</source>
        <translation>Response to the radiant elevation h: sin(h)^%1 cos(h)^%2 (highest at %3°)  reduced chi-square %4</translation>
    </message>
    <message>
        <source>観測局の緯度経度がないため放射点高度はありません (設定 &gt; 観測局情報)</source>
        <translation>No radiant elevation: the station has no latitude and longitude (Settings &gt; Station information)</translation>
    </message>
    <message>
        <source>注意: %1</source>
        <translation>Warning: %1</translation>
    </message>
    <message>
        <source>当てはめには観測時間が足りません (%1 時間、%2 時間必要)</source>
        <translation>too few observed hours for a fit (%1, need %2)</translation>
    </message>
</context>
<context>
    <name>StationDialog</name>
    <message>
        <location filename="../src/app/StationDialog.cpp" line="35"/>
        <source>メールアドレス</source>
        <translation>E-mail address</translation>
    </message>
    <message>
        <location filename="../src/app/StationDialog.cpp" line="38"/>
        <source>空欄でもかまいません</source>
        <translation>May be left empty</translation>
    </message>
    <message>
        <location filename="../src/app/StationDialog.cpp" line="47"/>
        <source>観測局情報</source>
        <translation>Station information</translation>
    </message>
    <message>
        <location filename="../src/app/StationDialog.cpp" line="59"/>
        <source>RMOBの月別ファイルに書き込む観測局の情報です。</source>
        <translation>The station information written into the monthly RMOB files.</translation>
    </message>
    <message>
        <source>度、東経が正 (例 139.7583、139.7583 E)</source>
        <translation>Degrees, east positive (e.g. 139.7583, 139.7583 E)</translation>
    </message>
    <message>
        <source>度、北緯が正 (例 35.6889、35.6889 N)</source>
        <translation>Degrees, north positive (e.g. 35.6889, 35.6889 N)</translation>
    </message>
</context>
</TS>
