// The run workspace: everything a run keeps between calls outside the shared
// records — the running-mean counters, the sample writer's first-call state,
// the report flags and the scratch space of the samplers. Start-up
// (InitGlobalVariables) and teardown (FreeGlobalVariables) reset it, so a
// second analysis in the same process starts like the first. Each part is a
// plain struct of the subsystem that uses it, created on first use and kept
// (with the capacity of its buffers) until the reset; the state folder needs
// to know none of their types.
#pragma once

#include <memory>
#include <typeindex>
#include <unordered_map>

#include "core/voskara_api.h"

namespace vsk {

class RunWorkspace {
public:
    // The run's instance of part T (value-initialised on first use).
    template <class T>
    T& part()
    {
        std::shared_ptr<void>& slot = parts_[std::type_index(typeid(T))];
        if (!slot) slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }
    // Drops every part: the next use starts from a fresh one.
    void reset() { parts_.clear(); }
    bool empty() const { return parts_.empty(); }

private:
    std::unordered_map<std::type_index, std::shared_ptr<void>> parts_;
};

// The workspace of the current run (one per process, like the records).
VOSKARA_API RunWorkspace& run_workspace();

}  // namespace vsk
