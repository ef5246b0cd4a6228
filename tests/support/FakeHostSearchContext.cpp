#include "support/FakeHostSearchContext.h"

void FakeHostSearchContext::DeliverHit(const TItemRecord& hit)
{
    hits.push_back(hit);
    if (onHit)
        onHit(hit);
}

void FakeHostSearchContext::useFileMasks(const QString& boxText)
{
    m_masks = std::make_shared<TFileMaskList>(BuildFileMasks(boxText));
    config.FileMasks = boxText;
    nameMatches = [masks = m_masks](const QString& name) { return AnyMaskMatches(*masks, name); };
}

QStringList FakeHostSearchContext::hitNames() const
{
    QStringList names;
    for (const TItemRecord& hit : hits)
        names << hit.FileName;
    return names;
}

QStringList FakeHostSearchContext::activityTexts() const
{
    QStringList texts;
    for (const auto& [kind, text] : activities)
        texts << text;
    return texts;
}
