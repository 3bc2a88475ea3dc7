#pragma once

#include "engine/EditLayout.h"
#include "preferences/PrefRow.h"
#include "views/EditModeModel.h"
#include "views/styles/ShadowedText.h"
#include "views/styles/TextPlate.h"

#include <QImage>
#include <QRectF>
#include <QRegion>

#include <array>
#include <optional>

class QPainter;

namespace kestrane {

// The controls of the preferences panel: a row's switch or chip.
struct PanelControl {
    PrefRow row;
    bool operator==(const PanelControl&) const = default;
};

// The small panel of settings in edit mode: a header and five rows (title, detail and a glass
// switch or chip each) that come in one after another, blurred until they settle, following
// the engine's preference springs. Its controls change the preferences, replay the
// introduction or quit the program.
class PreferencesPanel {
public:
    static constexpr double width = editLayout::panelWidth;
    static constexpr int rowCount = editLayout::panelRowCount;
    static constexpr double height = editLayout::panelHeight;
    static constexpr double headerHeight = editLayout::panelHeaderHeight;
    static constexpr double rowHeight = editLayout::panelRowHeight;
    // Replaying leaves edit mode first; the introduction starts this much later (ms).
    static constexpr int replayDelay = 320;

    explicit PreferencesPanel(EditModeModel model);

    // Takes this frame's springs and texts; reports the hovered control to the engine while
    // the panel takes input. `behind` is the picture of the desktop, drawn dimmed by `dimming`.
    void update(QSizeF screen, std::optional<QPointF> pointer, bool takesInput, const QImage& behind, double dimming);
    void paint(QPainter& painter) const;
    QRegion changedRegion() const { return changed_; }
    bool isShown() const { return shown_; }
    bool contains(QPointF point) const { return shown_ && frame_.contains(point); }
    std::optional<PanelControl> controlAt(QPointF point) const;
    void perform(PanelControl control);

    // How a row looks at its presence r (0 … 1): opacity, blur radius and scale.
    struct RowLook {
        double opacity;
        double blur;
        double scale;
    };
    static RowLook rowLook(double presence);

private:
    struct Row {
        ShadowedText title { {}, {}, std::vector<Shadow> {} };
        std::array<ShadowedText, 2> detail { ShadowedText { {}, {}, std::vector<Shadow> {} },
            ShadowedText { {}, {}, std::vector<Shadow> {} } };
        ShadowedText chipLabel { {}, {}, std::vector<Shadow> {} };
        QString chip;
        // The row drawn sharp at twice the detail, and at half of that for blurring.
        QImage sharp;
        QImage halfSharp;
        QString sharpKey;
        // What is painted: the sharp picture, or the half one blurred by blurredSigma.
        QImage picture;
        double blurredSigma = -1;
        RowLook look { 0, 0, 1 };
        double control = 0;
        double hover = 0;
    };

    QString detailFor(PrefRow row) const;
    QString chipFor(PrefRow row) const;
    bool launchToggles() const;
    // The keys the desktop portal bound for the shortcut; none where it bound none.
    std::optional<QString> portalTrigger() const;
    QRectF rowFrame(std::size_t index) const;
    QRectF controlFrame(std::size_t index) const;
    void renderRow(Row& row, std::size_t index);
    void drawSharp(Row& row, std::size_t index, const QString& detail);
    void paintControl(QPainter& painter, Row& row, std::size_t index, QRectF frame) const;

    EditModeModel model_;
    QRectF frame_;
    bool shown_ = false;
    ShadowedText header_;
    TextPlate plate_;
    double headerProgress_ = 0;
    std::array<Row, rowCount> rows_;
    std::optional<PrefRow> hovered_;
    QString key_;
    QRegion changed_;
};

} // namespace kestrane
