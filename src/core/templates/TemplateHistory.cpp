#include "core/templates/TemplateHistory.h"

namespace zentra {

TemplateHistory::Snapshot TemplateHistory::snapshot(const Template &t)
{
    Snapshot s;
    s.t = t;
    s.t.imgData.clear();
    if (!lastPicture_ || *lastPicture_ != t.imgData)
        lastPicture_ = std::make_shared<const std::string>(t.imgData);
    s.picture = lastPicture_;
    return s;
}

Template TemplateHistory::restore(const Snapshot &s)
{
    Template t = s.t;
    t.imgData = *s.picture;
    return t;
}

Template TemplateHistory::withCurrentTexts(Template target, const Step &step, const Template &current)
{
    for (std::size_t i = 0; i < target.items.size(); ++i) {
        const auto &before = step.before.t.items[i];
        const auto &after = step.after.t.items[i];
        const bool stepChangedText = !before || !after || before->text != after->text;
        if (target.items[i] && current.items[i] && !stepChangedText)
            target.items[i]->text = current.items[i]->text;
    }
    return target;
}

void TemplateHistory::record(const Template &before, const Template &after, int mergeKey)
{
    if (before == after)
        return;
    redo_.clear();
    if (mergeKey != 0 && mergeOpen_ && !undo_.empty() && undo_.back().mergeKey == mergeKey) {
        undo_.back().after = snapshot(after);
        return;
    }
    undo_.push_back(Step{snapshot(before), snapshot(after), mergeKey});
    if (undo_.size() > kMaxSteps)
        undo_.pop_front();
    mergeOpen_ = mergeKey != 0;
}

std::optional<Template> TemplateHistory::undo(const Template &current)
{
    mergeOpen_ = false;
    if (undo_.empty())
        return std::nullopt;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    Template target = withCurrentTexts(restore(step.before), step, current);
    redo_.push_back(std::move(step));
    return target;
}

std::optional<Template> TemplateHistory::redo(const Template &current)
{
    mergeOpen_ = false;
    if (redo_.empty())
        return std::nullopt;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    Template target = withCurrentTexts(restore(step.after), step, current);
    undo_.push_back(std::move(step));
    return target;
}

void TemplateHistory::clear()
{
    undo_.clear();
    redo_.clear();
    mergeOpen_ = false;
    lastPicture_.reset();
}

}
