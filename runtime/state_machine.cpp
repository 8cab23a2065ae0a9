// StateMachine: moves on exactly one matching transition, refuses ambiguity.
#include <limits>

#include "runtime/runtime.h"

namespace rava {

StateMachine::StateMachine(std::string initial, std::vector<Transition> table)
    : current(initial), previous(std::move(initial)), transitions(std::move(table)) {}

bool StateMachine::Fire(std::string_view eventArg) {
    // The event may view one of our own fields (Fire(m.current)); those change below, so keep a copy.
    const std::string event(eventArg);
    const Transition* match = nullptr;
    int matches = 0;
    for (const Transition& t : transitions) {
        if (t.from == current && t.event == event) {
            ++matches;
            match = &t;
        }
    }
    if (matches == 0) return false;
    if (matches > 1) {
        message = "Ambiguous state transition";
        return false;
    }
    previous = current;
    current = match->to;
    lastEvent = event;
    // The count stops at its maximum rather than overflowing.
    if (transitionCount < std::numeric_limits<int32_t>::max()) ++transitionCount;
    message = "ok";
    return true;
}

}  // namespace rava
