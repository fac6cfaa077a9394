// What the help launcher KSTART does with a page: open it with the
// desktop's opener (xdg-open) when there is one, else tell the clerk where
// the page is so it can be opened by hand. A pure decision on what was
// found, so that it is tested without a desktop.
#pragma once

#include <string>
#include <vector>

namespace vela {

struct LaunchPlan {
    std::vector<std::string> command;  // the opener and the page; empty: nothing to run
    std::string message;               // what to tell the clerk instead
};

// page is a host path; opener the opener's path, empty when none is
// installed.
LaunchPlan PlanLaunch(const std::string& page, bool pageExists, const std::string& opener);

// The message when the opener was run and failed (no browser configured,
// no desktop): the page is still there to be opened by hand.
std::string OpenerFailedMessage(const std::string& page);

// The first executable file called name in the folders of a PATH-like list
// (":" separated, an empty entry being the current folder); empty when none.
std::string FindInPath(const std::string& name, const std::string& pathList);

}  // namespace vela
