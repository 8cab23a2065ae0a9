// runtime_tour: the runtime support a client uses most: positional
// formatting, the checked clamp, the environment reader, a table-driven state
// machine and the single-line text buffer. Prints what each call gave.
#include <rava/runtime/runtime.h>

#include <cstdio>
#include <string>

int main() {
    std::string line = rava::Format("{0} of {1} done, ok={2}", {3, 4u, true});  // "3 of 4 done, ok=true"
    float v = rava::Clamp(1.5f, 0.0f, 1.0f);                                     // 1
    std::string mode = rava::ReadEnvironmentText("RAVA_EXAMPLE_TEST");          // "" when unset
    rava::StateMachine door("closed", {{"closed", "open", "opened"}, {"opened", "close", "closed"}});
    door.Fire("open");                                                           // current == "opened"
    rava::TextLineBuffer field;
    field.SetText("name");
    field.AppendText("Ada");  // the first edit after SetText replaces the text: "Ada"

    std::printf("%s\n%g\n[%s]\n%s\n%s\n", line.c_str(), v, mode.c_str(), door.current.c_str(), field.text.c_str());
    // A placeholder that is not well formed stays literal; texts are not rescanned.
    std::printf("%s\n", rava::Format("{0} {x} {1", {"{1}"}).c_str());
    // An event with no transition from the current state does not move it.
    std::printf("fire open again: %s, still %s\n", door.Fire("open") ? "moved" : "refused", door.current.c_str());
    return 0;
}
