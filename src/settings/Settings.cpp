#include "settings/Settings.h"

#include "data/DataFile.h"
#include "forms/Reporter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <charconv>

std::int16_t TimeLevel = settings::FallbackLevel;
std::int16_t SpeedLevel = settings::FallbackLevel;
std::int16_t SizeLevel = settings::FallbackLevel;
std::int16_t CountLevel = settings::FallbackLevel;

namespace settings {

namespace {

const std::array<const char*, 4> fieldNames = {"ゲーム時間", "もぐらスピード", "ポイントエリア",
                                               "同時出現数"};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Splits at commas and line breaks; a run of line breaks counts as one separator.
QList<QByteArray> fields(const QByteArray& content) {
    QList<QByteArray> result;
    QByteArray field;
    bool afterLineBreak = true; // leading line breaks separate nothing
    for (char c : content) {
        if (isLineBreak(c)) {
            if (!afterLineBreak)
                result.push_back(std::exchange(field, {}));
            afterLineBreak = true;
        } else if (c == ',') {
            result.push_back(std::exchange(field, {}));
            afterLineBreak = false;
        } else {
            field.push_back(c);
            afterLineBreak = false;
        }
    }
    if (!field.trimmed().isEmpty())
        result.push_back(field);
    return result;
}

QString shown(const QByteArray& field) {
    QString text = QString::fromUtf8(field.trimmed().left(16));
    text.replace(QChar(0), u'?');
    return text;
}

} // namespace

ReadResult parse(const QByteArray& content) {
    ReadResult result;
    const QList<QByteArray> found = fields(content);
    std::array<std::int16_t*, 4> targets = {&result.levels.time, &result.levels.speed,
                                            &result.levels.size, &result.levels.count};
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const QString name = QString::fromUtf8(fieldNames[i]);
        if (static_cast<qsizetype>(i) >= found.size()) {
            result.problems << QStringLiteral("%1の値がありません。3 にします。").arg(name);
            continue;
        }
        const QByteArray& field = found[static_cast<qsizetype>(i)];
        const char* begin = field.constData();
        const char* end = begin + field.size();
        while (begin != end && isBlank(*begin))
            ++begin;
        while (end != begin && isBlank(end[-1]))
            --end;
        if (end - begin > 1 && *begin == '+')
            ++begin;
        long long value = 0;
        const auto [stop, error] = std::from_chars(begin, end, value);
        if (begin == end || stop != end || error == std::errc::invalid_argument) {
            result.problems << QStringLiteral("%1の値「%2」は数ではありません。3 にします。")
                                   .arg(name, shown(field));
            continue;
        }
        if (error == std::errc::result_out_of_range || value < MinLevel || value > MaxLevel) {
            const std::int16_t clamped =
                (error == std::errc::result_out_of_range)
                    ? (*begin == '-' ? MinLevel : MaxLevel)
                    : static_cast<std::int16_t>(std::clamp<long long>(value, MinLevel, MaxLevel));
            result.problems << QStringLiteral("%1の値 %2 は 1 から 5 の外なので %3 にします。")
                                   .arg(name, shown(field))
                                   .arg(clamped);
            *targets[i] = clamped;
            continue;
        }
        *targets[i] = static_cast<std::int16_t>(value);
    }
    return result;
}

ReadResult readFile(const QString& path) {
    using data::DataFileError;
    const data::DataFile file = data::readDataFile(path, data::SettingsFileLimit);
    const auto allThrees = [](const QString& why) {
        return ReadResult{{}, {why + QStringLiteral("すべて 3 にします。")}};
    };
    switch (file.error) {
    case DataFileError::Read:
        return parse(file.bytes);
    case DataFileError::Missing:
        return allThrees(QStringLiteral("ファイルがありません。"));
    case DataFileError::Folder:
        return allThrees(QStringLiteral("ファイルの代わりにフォルダがあります。"));
    case DataFileError::NotRegular:
        return allThrees(QStringLiteral("普通のファイルではありません（パイプや装置など）。"));
    case DataFileError::TooLarge:
        return allThrees(QStringLiteral("設定ファイルにしては大きすぎます（%1 バイトまで）。")
                             .arg(data::SettingsFileLimit));
    case DataFileError::Unreadable:
        break;
    }
    return allThrees(QStringLiteral("ファイルを開けません（%1）。").arg(file.detail));
}

QString describeProblems(const QString& path, const QStringList& problems) {
    return QStringLiteral("設定ファイル「%1」に問題があります。\n%2")
        .arg(QDir::toNativeSeparators(path), problems.join(u'\n'));
}

QByteArray format(const Levels& levels) {
    return QByteArray::number(levels.time) + ',' + QByteArray::number(levels.speed) + ',' +
           QByteArray::number(levels.size) + ',' + QByteArray::number(levels.count) + "\r\n";
}

QString writeFile(const QString& path, const Levels& levels) {
    const QString shownPath = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (const QString folder = info.absolutePath(); !QFileInfo(folder).isDir())
        return QStringLiteral("設定を保存できませんでした。フォルダ「%1」がありません。")
            .arg(QDir::toNativeSeparators(folder));
    // Only a regular file is replaced: a link to a device stays what it is.
    if (const QFileInfo target(info.canonicalFilePath()); target.exists() && !target.isFile())
        return QStringLiteral("設定を保存できませんでした。「%1」は普通のファイルではありません。")
            .arg(shownPath);
    QSaveFile file(path);
    // Where only the file was opened up for writing, not its folder, the new file that an
    // atomic replace needs cannot be made: then the file is written in place, and only then.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("設定を保存できませんでした。「%1」に書き込めません（%2）。")
            .arg(shownPath, file.errorString());
    const QByteArray line = format(levels);
    // The line sits in a buffer until flushed: only a flush tells whether the disk took it.
    if (file.write(line) != line.size() || !file.flush() || !file.commit())
        return QStringLiteral(
                   "設定を保存できませんでした。ディスクがいっぱいか、書き込みに失敗しました"
                   "（%1）。「%2」は元のままです。")
            .arg(file.errorString(), shownPath);
    return {};
}

Levels current() {
    return {TimeLevel, SpeedLevel, SizeLevel, CountLevel};
}

void readIntoRecord(const QString& path, forms::Reporter& reporter) {
    const ReadResult result = readFile(path);
    setCurrent(result.levels);
    if (!result.problems.isEmpty())
        reporter.problem(describeProblems(path, result.problems));
}

void setCurrent(const Levels& levels) {
    TimeLevel = levels.time;
    SpeedLevel = levels.speed;
    SizeLevel = levels.size;
    CountLevel = levels.count;
}

} // namespace settings
