// Fuzz target for the expression engine: whatever the bytes, parsing and evaluating must end
// in a value or an error, never a crash, a hang or undefined behaviour; and a text evaluated
// twice (the second time from the cache) must give the same outcome.
#include "script/ScriptHost.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::shared_ptr<ode::script::Class1> shared;
    ode::script::ScriptHost host(shared, [](const std::string&) {});
    host.prepare();
    host.engine().seedRandom(1);
    host.assignVariable("x", 0.5);
    auto& engine = host.engine();
    if (data[0] & 1) {
        engine.executeStatement(text);
        engine.executeStatement(text);
    } else {
        ode::script::Value first, second;
        bool ok1 = engine.eval(text, first);
        int err1 = engine.error().number;
        bool ok2 = engine.eval(text, second);
        int err2 = engine.error().number;
        // Rnd makes repeated evaluation differ; everything else is deterministic.
        bool random = text.find("rnd") != std::string::npos || text.find("Rnd") != std::string::npos ||
                      text.find("RND") != std::string::npos;
        if (!random && (ok1 != ok2 || err1 != err2))
            std::abort();
        if (!random && ok1 && first.type != second.type)
            std::abort();
    }
    return 0;
}
