#pragma once

#include "common/gui_savefile.h"
#include "records/eveningsummary.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QFontMetrics;
class QLabel;
class QPushButton;

namespace kv {

class BesideWork;
class Dialogs;
class HistoryStore;

// The card of an evening: a picture for a phone, on a light ground whatever the theme, so that it
// reads the same sent round and printed.
struct EveningCard {
    static constexpr int kWidth = 1080;
    static constexpr int kHeight = 1350;
    QImage image;
    QStringList texts; // every text drawn, as drawn, in the order drawn
};
EveningCard drawEveningCard(const EveningSummary& summary);

// `text` cut to `width` with "..." at the end when it is wider; a right-to-left name cut inside
// its isolation stays isolated.
QString shortened(const QString& text, const QFontMetrics& metrics, int width);

// "Итоги вечера": the card of one stored tournament, with its text for a chat. The history is
// read and the summary made beside the window; it is made afresh when the history changes.
class EveningCardWindow : public QWidget {
    Q_OBJECT
public:
    // levels gives, at each reading, the star levels of the clubs as the pools hold them then.
    EveningCardWindow(HistoryStore& store, Dialogs& dialogs, std::function<LevelOf()> levels,
                      QWidget* parent = nullptr);
    ~EveningCardWindow() override;

    static const QString kTitle;
    // Makes and shows the card of the tournament stored as `table`.
    void showTournament(const QString& table);
    bool isComputing() const;
    // The card shown; none before the first is made or when the tournament has none.
    const std::optional<EveningCard>& card() const { return card_; }
    const std::optional<EveningSummary>& summary() const { return summary_; }

    // Where the picture is saved (the file dialog unless replaced).
    void setChooseSaveFile(ChooseSaveFile choose) { choose_ = std::move(choose); }

    void copyPictureClick();
    void copyTextClick();
    void savePictureClick();

private:
    void refresh();
    void showEvent(QShowEvent* event) override;
    void showCard();

    HistoryStore& store_;
    Dialogs& dialogs_;
    std::function<LevelOf()> levels_;
    ChooseSaveFile choose_;
    QString table_;
    bool stale_ = false;
    std::optional<EveningSummary> summary_;
    std::optional<EveningCard> card_;
    BesideWork* reading_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* copyPicture_ = nullptr;
    QPushButton* copyText_ = nullptr;
    QPushButton* savePicture_ = nullptr;
};

} // namespace kv
