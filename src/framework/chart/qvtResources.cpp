#include "corvane/framework/chart/qvtResources.h"

#include "corvane/framework/media/qvtMedia.h"
#include "corvane/framework/objects/qvtEntityFactory.h"

namespace corvane {

void TQVTVisualGoodie::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory& factory)
{
    media.setStrProperty(name, "typeID", TypeID);
    factory.saveChild(name, "start glyph", FStartGlyph.get(), media);
    factory.saveChild(name, "end glyph", FEndGlyph.get(), media);
}

std::shared_ptr<TQVTGanttObject> TQVTVisualGoodiePersistence::doLoad(const std::string&, IQVTMedia& media,
                                                                     TQVTEntityFactory& factory)
{
    auto goodie = std::make_shared<TQVTVisualGoodie>();
    goodie->FStartGlyph = loadChildAs<TQVTPictureResource>("start glyph", media, factory, goodie.get());
    goodie->FEndGlyph = loadChildAs<TQVTPictureResource>("end glyph", media, factory, goodie.get());
    return goodie;
}

void TQVTPictureResource::doSave(const std::string& name, IQVTMedia& media, TQVTEntityFactory&)
{
    media.setStrProperty(name, "typeID", TypeID);
}

std::shared_ptr<TQVTGanttObject> TQVTPictureResourcePersistence::doLoad(const std::string& name, IQVTMedia&,
                                                                        TQVTEntityFactory&)
{
    return std::make_shared<TQVTPictureResource>(name);
}

} // namespace corvane
