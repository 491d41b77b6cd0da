#pragma once
// The labels around a bar and the shareable choice of which of them are painted.

#include "corvane/framework/objects/qvtGanttObject.h"
#include "corvane/framework/rendering/qvtTextSettings.h"

#include <memory>
#include <string>

namespace corvane {

/// Which of the five labels of a halo are painted. A new object paints none of them.
class TQVTTextHaloSettings : public TQVTGanttObject {
public:
    static constexpr const char* TypeID = "Textual Halo Settings";

    /// Writes the type and the five flags.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// The five flags.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    bool PrintTextRight = false;
    bool PrintTextBottom = false;
    bool PrintTextLeft = false;
    bool PrintTextTop = false;
    bool PrintTextCenter = false;
};

/// Loads a settings object; every flag the section lacks is true.
class TQVTTextHaloSettingsPersistence : public TQVTPersistenceOf<TQVTTextHaloSettings> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// The labels painted above, below, left of, right of and inside the bar that is the halo's
/// parent, and the bar's hint. Settings the halo lacks come from its document: the font from
/// the text bar settings, the choice of labels from the default text halo settings. Settings
/// the halo shares with the document stay the document's: the halo never changes or frees them.
class TQVTTextHalo : public TQVTGanttObject {
protected:
    std::unique_ptr<TQVTDrawer> makeDrawer() const override;

public:
    static constexpr const char* TypeID = "textual halo";

    /// A halo with no texts and no text settings, whose own settings object paints all five
    /// labels, and whose centre label is centred.
    TQVTTextHalo();
    /// The halo above, with settings (which may be shared) choosing its labels instead.
    explicit TQVTTextHalo(std::shared_ptr<TQVTTextHaloSettings> settings);

    /// FTextSettings when set, otherwise the document's text bar settings; none outside a
    /// document. Nothing is stored.
    TQVTTextSettings* getTextSetings();
    /// FTextHaloSettings when set, otherwise the document's default text halo settings, which
    /// from then on stay in FTextHaloSettings (later replacements of the default are not seen);
    /// none outside a document. A default filled in this way is still saved as no reference.
    TQVTTextHaloSettings* GetTextHaloSettings();

    /// Writes the type, the six texts and the references to the halo's own settings; the
    /// centre alignment is not stored.
    void doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory) override;
    /// TextTop, TextLeft, TextRight, Hint, TextBottom, TextSettings, TextCenter,
    /// TextHaloSettings (the halo's own), HorzAlignmentCenter.
    void GetPublishedProperties(TQVTPublishedProperties& props) override;

    std::string TextTop;
    std::string TextLeft;
    std::string TextRight;
    std::string Hint;
    std::string TextBottom;
    std::shared_ptr<TQVTTextSettings> FTextSettings;
    std::string TextCenter;
    std::shared_ptr<TQVTTextHaloSettings> FTextHaloSettings;
    /// haLeft and haRight put the centre label 3 pixels inside that edge of the bar; every
    /// other value centres it.
    int HorzAlignmentCenter = haCenter;

private:
    /// The document default that GetTextHaloSettings put into FTextHaloSettings.
    std::weak_ptr<TQVTTextHaloSettings> FDocumentDefault;
};

/// Loads a halo: its six texts (empty when missing) and its settings references (none when
/// missing, so that the document's defaults apply).
class TQVTTextHaloPersistence : public TQVTPersistenceOf<TQVTTextHalo> {
public:
    std::shared_ptr<TQVTGanttObject> doLoad(const std::string& name, IQVTMedia& media,
                                            TQVTEntityFactory& factory) override;
};

/// Paints a halo's labels around the rectangle of its parent bar's Gantt drawer.
class TQVTTextHaloDrawer : public TQVTDrawer {
public:
    using TQVTDrawer::TQVTDrawer;

    /// Paints, in the font of getTextSetings, each non-empty label that GetTextHaloSettings
    /// chooses (every one when there are no halo settings at all). Answers false, painting
    /// nothing, when the halo has no parent with a Gantt drawer or no text settings.
    bool Draw(TQVTVisualContext& vc) override;
};

} // namespace corvane
