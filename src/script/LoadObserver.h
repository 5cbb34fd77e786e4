// The checker's hooks into a load: what `velmora check` watches while the
// graph reads a script. The show's own load has no observer.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// One declaration of a section as the loader read it.
struct Declaration {
    size_t offset = 0;        // where its type word stands
    int section = 0;          // 0 boxes, 1 functions, 2 surfaces
    std::string_view typeWord;
    std::string_view name;    // whole, before the cut
    std::string_view parameters;
    bool parametersCut = false;  // the parameter text was longer than a line holds
};

// Watches a load on behalf of `velmora check`: problems come with the offset of
// the text they concern, and loading goes on past them where it can.
class LoadObserver {
public:
    virtual void problem(size_t offset, std::string message) = 0;
    // What changes nothing the show does, at `offset` (a note in a section word's place).
    virtual void warning(size_t offset, std::string message) { (void)offset, (void)message; }
    // Runs one configure call of the declaration at `offset`; a checker catches
    // what the call raises and reports it.
    virtual void configure(size_t offset, const std::function<void()>& call) {
        (void)offset;
        call();
    }
    // True for `velmora check`: the load goes on past what would stop the show.
    // False for an observer that only watches a show's own load.
    virtual bool goesOnPastErrors() const { return true; }
    // One declaration as read, before its object is made: a checker looks at
    // its words here and reports its own findings.
    virtual void declared(const Declaration& declaration) { (void)declaration; }

protected:
    // Observers live on the stack of the load they watch, never deleted through this.
    ~LoadObserver() = default;
};

}  // namespace velmora
