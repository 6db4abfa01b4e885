#include "tournament/gifts.h"

#include "common/dialogs.h"
#include "common/programdir.h"
#include "common/random.h"
#include "common/settings.h"
#include "common/textfile.h"

#include <QFileInfo>

#include <algorithm>

namespace kv {

const QList<Gift>& giftCatalogue() {
    static const QList<Gift> gifts = {
        {QStringLiteral("unteam.bmp"),
         QStringLiteral("Убрать нежелательную команду перед жеребьевкой")},
        {QStringLiteral("unplayer.bmp"),
         QStringLiteral("Убрать игрока из команды противника на один матч")},
        {QStringLiteral("team.bmp"), QStringLiteral("Выбор команды")},
        {QStringLiteral("splayer.bmp"),
         QStringLiteral("Спасти одного своего игрока от травмы, красной или желтой карточек один "
                        "раз за турнир")},
        {QStringLiteral("redcard.bmp"), QStringLiteral("Возможность отмены красной карточки")},
        {QStringLiteral("travma.bmp"), QStringLiteral("Возможность не учитывать травму")},
        {QStringLiteral("yellowcard.bmp"),
         QStringLiteral("Возможность не учитывать красную карточку")},
    };
    return gifts;
}

QStringList giftPaths(const ProgramFiles& files) {
    QStringList paths;
    for (const Gift& gift : giftCatalogue())
        paths.append(files.imagePath(gift.file));
    return paths;
}

QString giftFileName(const QString& storedPath) {
    const qsizetype slash = std::max(storedPath.lastIndexOf(QLatin1Char('/')),
                                     storedPath.lastIndexOf(QLatin1Char('\\')));
    return storedPath.mid(slash + 1).toLower();
}

QString giftPicture(const QString& storedPath, const ProgramFiles& files) {
    if (QFileInfo(storedPath).isFile())
        return storedPath;
    const QString name = giftFileName(storedPath);
    for (const Gift& gift : giftCatalogue())
        if (gift.file == name)
            return files.imagePath(gift.file);
    return storedPath;
}

QString giftMeaning(const QString& storedPath) {
    const QString name = giftFileName(storedPath);
    for (const Gift& gift : giftCatalogue())
        if (!name.isEmpty() && gift.file == name)
            return gift.hint;
    return {};
}

QList<Gift> giftsWindowOrder() {
    const QList<Gift>& g = giftCatalogue();
    return {g[4], g[2], g[5], g[1], g[0], g[6], g[3]};
}

bool giftsEnabled() {
    const std::optional<QString> flag = settings::read().gift;
    return flag && *flag == QLatin1String("1");
}

QString drawFirstPlaceGift(Random& random, const ProgramFiles& files) {
    return giftPaths(files)[1 + random.below(5)];
}

QString drawSecondPlaceGift(Random& random, const ProgramFiles& files) {
    return giftPaths(files)[4 + random.below(3)];
}

bool awardGifts(Random& random, Dialogs& dialogs, const ProgramFiles& files, const ShowPrize& show,
                const std::function<void()>& uncover, const std::function<void()>& stored) {
    if (!giftsEnabled())
        return false;
    random.seedFromClock();

    const QString first = drawFirstPlaceGift(random, files);
    show(PrizePlace::First, first);
    writeLines(kGift1File, {first});

    const QString second = drawSecondPlaceGift(random, files);
    show(PrizePlace::Second, second);
    writeLines(kGift2File, {second});
    if (stored)
        stored();

    show(PrizePlace::BestScorer, giftPaths(files)[0]);
    dialogs.information(kGiftsAwardedMessage);
    uncover();
    return true;
}

} // namespace kv
