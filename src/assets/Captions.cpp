#include "assets/Captions.h"

namespace assets {

QString gameTitle() {
    return QStringLiteral("ぽこぺんぱん");
}

QStringList captions(Picture picture) {
    switch (picture) {
    case Picture::ButtonStart:
        return {QStringLiteral("スタート")};
    case Picture::ButtonOwari:
        return {QStringLiteral("おわり")};
    case Picture::ButtonSettei:
        return {QStringLiteral("設\u3000定")};
    case Picture::ButtonHantei:
        return {QStringLiteral("判\u3000定")};
    case Picture::ButtonModoru:
        return {QStringLiteral("もどる")};
    case Picture::ButtonGame:
        return {QStringLiteral("ゲーム")};
    case Picture::ButtonAsobikata:
        return {QStringLiteral("遊び方")};
    case Picture::ButtonSetteiChushi:
        return {QStringLiteral("設定中止")};
    case Picture::ButtonSetteiKanryo:
        return {QStringLiteral("設定完了")};
    case Picture::SettingTimeTitle:
        return {QStringLiteral("ゲーム時間設定")};
    case Picture::SettingSpeedTitle:
        return {QStringLiteral("もぐらスピード")};
    case Picture::SettingAreaTitle:
        return {QStringLiteral("ポイントエリア")};
    case Picture::SettingCountTitle:
        return {QStringLiteral("同時出現数設定")};
    case Picture::ResultsTable:
        return {QStringLiteral("ポイント"), QStringLiteral("緑もぐら"), QStringLiteral("桃もぐら"),
                QStringLiteral("青もぐら"), QStringLiteral("ヒット率")};
    default:
        return {};
    }
}

} // namespace assets
