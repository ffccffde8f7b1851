<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Telvoxa</name>
    <message>
        <source>&quot;%1&quot; holds no phone number</source>
        <translation>「%1」には電話番号がありません</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a phone number: &quot;%2&quot; cannot be dialled</source>
        <translation>「%1」は電話番号ではありません:「%2」はダイヤルできません</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a phone number: more than %2 digits</source>
        <translation>「%1」は電話番号ではありません:%2 桁を超えています</translation>
    </message>
    <message>
        <source>The number %1 was not shown: the handset is busy with a call.</source>
        <translation>通話中のため、番号 %1 は表示しませんでした。</translation>
    </message>
    <message>
        <source>the running Telvoxa did not answer; the number was not handed over</source>
        <translation>起動中の Telvoxa が応答しないため、番号を渡せませんでした</translation>
    </message>
    <message>
        <source>No phone on COM1 (%1). Plug in the phone&apos;s cable and choose its device below, or start the simulated phone with &quot;telvoxa-phone --link ~/phone-link&quot; and type ~/phone-link.</source>
        <translation>COM1 に電話機がありません(%1)。電話機のケーブルをつないで下でそのデバイスを選ぶか、「telvoxa-phone --link ~/phone-link」で模擬電話機を起動して ~/phone-link と入力してください。</translation>
    </message>
    <message>
        <source>No phone book is loaded. Load one with %1 in the menu (right click on the handset): memory dial (.mdd), vCard (.vcf) and CSV (.csv) files are read.</source>
        <translation>電話帳が読み込まれていません。メニュー(本体を右クリック)の %1 で読み込んでください。メモリダイヤル(.mdd)、vCard(.vcf)、CSV(.csv)ファイルが読めます。</translation>
    </message>
    <message>
        <source>Load another phone book: a memory dial (.mdd), vCard (.vcf) or CSV (.csv) file</source>
        <translation>別の電話帳を読み込みます:メモリダイヤル(.mdd)、vCard(.vcf)、CSV(.csv)ファイル</translation>
    </message>
    <message>
        <source>Entries read from %2: %1.</source>
        <translation>%2 から %1 件を読み込みました。</translation>
    </message>
    <message>
        <source>Entries read from %2: only %1; reading stopped at %3</source>
        <translation>%2 からは %1 件だけ読み込みました。読み込みが止まった所:%3</translation>
    </message>
    <message>
        <source>entry %1, the most the handset keeps</source>
        <translation>%1 件目(本体が保持できる最大件数)</translation>
    </message>
    <message>
        <source>simulated phone (%1)</source>
        <translation>模擬電話機 (%1)</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>使用できます</translation>
    </message>
    <message>
        <source>No such device</source>
        <translation>デバイスがありません</translation>
    </message>
    <message>
        <source>Not a serial device</source>
        <translation>シリアルデバイスではありません</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>不明なエラー</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>アクセス権がありません</translation>
    </message>
    <message>
        <source>Permission denied (%1:%2 %3)</source>
        <translation>アクセス権がありません(%1:%2 %3)</translation>
    </message>
    <message>
        <source>Permission denied: add your user to the dialout group (%1:%2 %3)</source>
        <translation>アクセス権がありません:ユーザーを dialout グループに追加してください(%1:%2 %3)</translation>
    </message>
    <message>
        <source>Permission denied: your user is in the %1 group, but this login is not yet: log in again (%2:%3 %4)</source>
        <translation>アクセス権がありません:ユーザーは %1 グループに入っていますが、今のログインにはまだ反映されていません。ログインし直してください(%2:%3 %4)</translation>
    </message>
    <message>
        <source>In use by another program</source>
        <translation>別のプログラムが使用中です</translation>
    </message>
    <message>
        <source>In use by another program (process %1)</source>
        <translation>別のプログラムが使用中です(プロセス %1)</translation>
    </message>
    <message>
        <source>In use by another program (%1 is a link)</source>
        <translation>別のプログラムが使用中です(%1 がリンクです)</translation>
    </message>
    <message>
        <source>In use by another program (%1 is not a regular file)</source>
        <translation>別のプログラムが使用中です(%1 が通常のファイルではありません)</translation>
    </message>
    <message>
        <source>In use by another program (%1 is being replaced by another program)</source>
        <translation>別のプログラムが使用中です(%1 を別のプログラムが置き換えています)</translation>
    </message>
    <message>
        <source>Other devices found:</source>
        <translation>ほかに見つかったデバイス:</translation>
    </message>
    <message>
        <source>No other serial devices found</source>
        <translation>ほかにシリアルデバイスは見つかりません</translation>
    </message>
    <message>
        <source>Telvoxa needs a graphical desktop (no display found)</source>
        <translation>Telvoxa にはグラフィカルなデスクトップが必要です(ディスプレイが見つかりません)</translation>
    </message>
    <message>
        <source>The call history was damaged: it was moved to %1 and a new one begun.</source>
        <translation>通話履歴が壊れていたため %1 に移し、新しい履歴を始めました。</translation>
    </message>
    <message>
        <source>The call history %1 is in use by another program.</source>
        <translation>通話履歴 %1 は別のプログラムが使用中です。</translation>
    </message>
    <message>
        <source>The call history %1 cannot be used: the disk is full.</source>
        <translation>ディスクに空きがないため、通話履歴 %1 を使えません。</translation>
    </message>
    <message>
        <source>The call history %1 is read-only (%2).</source>
        <translation>通話履歴 %1 は読み取り専用です（%2）。</translation>
    </message>
    <message>
        <source>The call history %1 was made by a newer version of Telvoxa.</source>
        <translation>通話履歴 %1 は新しい版のTelvoxaで作られています。</translation>
    </message>
    <message>
        <source>The call history %1 cannot be used (%2).</source>
        <translation>通話履歴 %1 を使えません（%2）。</translation>
    </message>
    <message>
        <source>%1 The file is left as it is.</source>
        <translation>%1ファイルはそのままです。</translation>
    </message>
    <message>
        <source>%1 The file is left as it is; calls are recorded as soon as they can be written.</source>
        <translation>%1ファイルはそのままで、通話は書き込めるようになりしだい記録します。</translation>
    </message>
    <message>
        <source>%1 The file is left as it is; calls are not recorded.</source>
        <translation>%1ファイルはそのままで、通話は記録されません。</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1%2</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1〜%2</translation>
    </message>
    <message>
        <source>Calls not yet written to the call history: %1 (%2, %3). They are written as soon as it can be.</source>
        <translation>通話 %1 件を通話履歴に書き込めていません（%2、%3）。書き込めるようになりしだい書き込みます。</translation>
    </message>
    <message>
        <source>Calls that could not be recorded in the call history: %1 (%2).</source>
        <translation>通話 %1 件は通話履歴に記録できませんでした（%2）。</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>ディスクに空きがないため</translation>
    </message>
    <message>
        <source>the call history cannot be used</source>
        <translation>通話履歴を使えないため</translation>
    </message>
    <message>
        <source>The file is not in the right format</source>
        <translation>ファイルの形式が正しくありません</translation>
    </message>
    <message>
        <source>The file system is read-only</source>
        <translation>読み取り専用のファイルシステムです</translation>
    </message>
    <message>
        <source>The disk is full</source>
        <translation>ディスクに空きがありません</translation>
    </message>
    <message>
        <source>There is no permission to write into the folder</source>
        <translation>フォルダに書き込む権限がありません</translation>
    </message>
    <message>
        <source>It could not be written</source>
        <translation>書き込めませんでした</translation>
    </message>
    <message>
        <source>The settings could not be read</source>
        <translation>設定を読み込めませんでした</translation>
    </message>
    <message>
        <source>Telvoxa runs with the default settings and saves none</source>
        <translation>既定の設定で動き、設定は保存しません</translation>
    </message>
    <message>
        <source>The settings could not be saved</source>
        <translation>設定を保存できませんでした</translation>
    </message>
    <message>
        <source>Characters that Shift_JIS cannot hold were written as &quot;?&quot;: %1.</source>
        <translation>Shift_JISで書けない%1文字を「?」にしました。</translation>
    </message>
    <message>
        <source>The profile&apos;s %1=%2 is outside %3 to %4: %5 is used.</source>
        <translation>プロファイルの %1=%2 は %3〜%4 の範囲外のため、%5 を使います。</translation>
    </message>
    <message>
        <source>Starting with the default skin.</source>
        <translation>既定のスキンで起動します。</translation>
    </message>
    <message>
        <source>the folder is a link owned by another user</source>
        <translation>フォルダが別のユーザーのリンクです</translation>
    </message>
    <message>
        <source>the folder belongs to another user</source>
        <translation>フォルダが別のユーザーのものです</translation>
    </message>
    <message>
        <source>the file is a link</source>
        <translation>ファイルがリンクです</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>the file belongs to another user</source>
        <translation>ファイルが別のユーザーのものです</translation>
    </message>
    <message>
        <source>the folder is read-only</source>
        <translation>フォルダが読み取り専用です</translation>
    </message>
    <message>
        <source>the file is read-only</source>
        <translation>ファイルが読み取り専用です</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>ファイルシステムが読み取り専用です</translation>
    </message>
    <message>
        <source>not a call history</source>
        <translation>通話履歴のファイルではありません</translation>
    </message>
    <message>
        <source>%1: larger than %2 MB, more than any address book; not read</source>
        <translation>%1:%2 MB を超えていて、アドレス帳としては大きすぎるため読み込みません</translation>
    </message>
    <message>
        <source>%1: more than %2 entries; the first %2 were read</source>
        <translation>%1:%2 件を超えています。最初の %2 件を読み込みました</translation>
    </message>
    <message>
        <source>%1, line %2: %3</source>
        <translation>%1 の %2 行目:%3</translation>
    </message>
    <message>
        <source>more than %1 groups; the entries of the groups after them are listed in group 0</source>
        <translation>グループが %1 を超えています。それより後のグループの項目はグループ 0 に入れました</translation>
    </message>
    <message>
        <source>no name and phone columns in the first line (looked for a name column: %1; and a phone column: %2)</source>
        <translation>1 行目に名前と電話番号の列がありません(名前の列として %1、電話番号の列として %2 を探しました)</translation>
    </message>
    <message>
        <source>more than %1 columns in one row</source>
        <translation>1 行の列が %1 を超えています</translation>
    </message>
    <message>
        <source>a row longer than %1 MB</source>
        <translation>%1 MB を超える長さの行があります</translation>
    </message>
    <message>
        <source>a quoted field that never ends</source>
        <translation>引用符が閉じていないフィールドがあります</translation>
    </message>
    <message>
        <source>bytes that are not valid %1</source>
        <translation>%1 として正しくないバイトがあります</translation>
    </message>
    <message>
        <source>the card that begins here has no END:VCARD</source>
        <translation>ここから始まるカードに END:VCARD がありません</translation>
    </message>
    <message>
        <source>a property longer than %1 MB (left out)</source>
        <translation>%1 MB を超えるプロパティがあります(読み飛ばしました)</translation>
    </message>
    <message>
        <source>more than %1 parameters in one property (left out)</source>
        <translation>1 つのプロパティのパラメータが %1 を超えています(読み飛ばしました)</translation>
    </message>
    <message>
        <source>a line that is no vCard property (no &quot;:&quot;)</source>
        <translation>vCard のプロパティではない行があります(「:」がありません)</translation>
    </message>
    <message>
        <source>END:VCARD without BEGIN:VCARD</source>
        <translation>BEGIN:VCARD のない END:VCARD があります</translation>
    </message>
    <message>
        <source>text outside BEGIN:VCARD and END:VCARD</source>
        <translation>BEGIN:VCARD と END:VCARD の外に文字があります</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>電波</translation>
    </message>
    <message>
        <source>Status or clock</source>
        <translation>状態または時計</translation>
    </message>
    <message>
        <source>Caller</source>
        <translation>発信者</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>番号</translation>
    </message>
    <message>
        <source>Missed call</source>
        <translation>不在着信</translation>
    </message>
    <message>
        <source>Call ended</source>
        <translation>通話終了</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>月</translation>
    </message>
    <message>
        <source>Off hook</source>
        <translation>オフフック</translation>
    </message>
    <message>
        <source>On hook</source>
        <translation>オンフック</translation>
    </message>
</context>
</TS>
