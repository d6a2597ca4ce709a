// What the batch program's notes say of a result, and the ISO parameters of
// its deviations.
#include "methods/quiet.h"

namespace formeval::methods {

Noted notedin(std::string_view said) {
    Noted noted;
    // Every note is an item of its own: it starts a line of the console.
    for (std::size_t at = 0; at < said.size();) {
        const std::size_t end = std::min(said.find('\n', at), said.size());
        const std::string_view line = said.substr(at, end - at);
        for (const NoteStart& n : notestarts)
            if (line.substr(0, n.start.size()) == n.start)
                (n.kind == NoteKind::notfitted ? noted.notfitted : noted.notoptimal) = true;
        at = end + 1;
    }
    return noted;
}

void noted(Result& r, std::vector<std::string> said) {
    std::string text;
    for (const std::string& line : said) text += line + "\n";
    const Noted n = notedin(text);
    r.fitted = r.fitted && !n.notfitted;
    r.notoptimal = r.notoptimal || n.notoptimal;
    r.notes = std::move(said);
}

void measure(Result& r) {
    const pointset::IsoParameters iso = pointset::isoparameters(r.deviations);
    r.t = iso.t;
    r.p = iso.p;
    r.v = iso.v;
    r.q = iso.q;
}

} // namespace formeval::methods
