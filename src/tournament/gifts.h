#pragma once

#include "common/datafiles.h"
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kv {

class Dialogs;
class ProgramFiles;
class Random;

struct Gift {
    QString file; // picture file name in images/
    QString hint; // what the holder may do, shown in the gifts window
};

// The seven gifts in award order: the best scorer's first, then the first-place gifts
// (2..6), the second-place gifts (5..7).
const QList<Gift>& giftCatalogue();
// Full picture paths in award order.
QStringList giftPaths(const ProgramFiles& files);

// A gift is known by its picture's file name, whatever folder the stored path names (gift files
// outlive moves of the program, and older ones hold Windows paths): the part after the last
// "/" or "\", in lower case.
QString giftFileName(const QString& storedPath);
// The picture to show for a stored gift path: the path itself when the file is there, else the
// program's own picture of that gift, else the stored path (whose load then fails and says so).
QString giftPicture(const QString& storedPath, const ProgramFiles& files);
// What a stored gift lets its holder do, in words; empty for a picture that is no gift.
QString giftMeaning(const QString& storedPath);

// The catalogue in the order the gifts window shows it, left to right.
QList<Gift> giftsWindowOrder();

inline const QString kGiftsAwardedMessage =
    QStringLiteral("Подарки рассчитаны ;)\r\nНе забудьте указать лучшего бомбардира!");

// Whether gifts are awarded: the line after "[gift]" in settings.ini is exactly "1". A file
// without the marker awards nothing. A missing settings file throws.
bool giftsEnabled();

// The place gifts as full paths: first place one of award indexes 2..6, second place one of
// 5..7, each uniformly.
QString drawFirstPlaceGift(Random& random, const ProgramFiles& files);
QString drawSecondPlaceGift(Random& random, const ProgramFiles& files);

enum class PrizePlace { First, Second, BestScorer };

// Where the award shows its pictures: loads the picture into the prize area, throwing
// kv::Error when it cannot be loaded.
using ShowPrize = std::function<void(PrizePlace, const QString& picturePath)>;

// The award after a tournament. When enabled it draws the first-place gift (one of 5) and the
// second-place gift (one of 3), each shown and then stored in its gift file, shows the best
// scorer's gift, tells the players and calls uncover. A failure stops it where it happened.
// Returns whether gifts were awarded.
// stored is called once both gift files hold the new gifts.
bool awardGifts(Random& random, Dialogs& dialogs, const ProgramFiles& files, const ShowPrize& show,
                const std::function<void()>& uncover, const std::function<void()>& stored = {});

} // namespace kv
