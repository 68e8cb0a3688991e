#pragma once

#include "core/templates/Template.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace zentra {

// The designer's undo history: one step per user gesture (a whole drag, one
// command, one change of the font or colour, one edit of a margin box), each
// step the whole template before and after it. A template is small (at most
// 60 items), so whole snapshots are simpler than commands; identical background
// pictures are shared between snapshots, so a long history holds one copy of
// the picture.
//
// Typing into an item is no step of its own: undoing or redoing a step keeps
// the text each item holds now unless the step itself changed that item's text
// (default text, clear text).
class TemplateHistory {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // Records a step that changed `before` into `after`; nothing when they are
    // equal. Clears the redo steps. Steps with the same non-zero `mergeKey`
    // recorded one right after the other become one step.
    void record(const Template &before, const Template &after, int mergeKey = 0);

    // The next step starts a step of its own even with the same merge key.
    void closeStep() { mergeOpen_ = false; }

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }

    // The template to show once the last step is undone (or the last undone
    // step redone), given the template shown now; nothing when there is none.
    std::optional<Template> undo(const Template &current);
    std::optional<Template> redo(const Template &current);

    void clear();

private:
    struct Snapshot {
        Template t; // without its picture
        std::shared_ptr<const std::string> picture;
    };
    struct Step {
        Snapshot before, after;
        int mergeKey = 0;
    };

    Snapshot snapshot(const Template &t);
    static Template restore(const Snapshot &s);
    static Template withCurrentTexts(Template target, const Step &step, const Template &current);

    std::deque<Step> undo_;
    std::deque<Step> redo_;
    bool mergeOpen_ = false;
    std::shared_ptr<const std::string> lastPicture_;
};

}
