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
