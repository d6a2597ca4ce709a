#include "tests/report/support.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <expat.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace formeval::test {

namespace fs = std::filesystem;

ReportOutcome report(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"formreport"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    std::ostringstream err;
    ReportOutcome o;
    o.status = report::runcommandline(static_cast<int>(argv.size()), argv.data(), out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

ReportOutcome runreport(const std::vector<std::string>& args, const fs::path& dir,
                        const std::string& output, long long filesizelimit) {
    const bool piped = output == "|";
    const fs::path out =
        output.empty() || output == "-" || piped ? dir / ".report-out" : fs::path(output);
    const fs::path err = dir / ".report-err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv = {const_cast<char*>("formreport")};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || o < 0 || e < 0 || ::chdir(dir.c_str()) != 0 || ::dup2(in, 0) < 0 ||
            ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0)
            ::_exit(126);
        if (output == "-") ::close(1);
        if (piped) {
            int ends[2];
            if (::pipe(ends) != 0 || ::dup2(ends[1], 1) < 0) ::_exit(126);
            ::close(ends[0]);
            ::close(ends[1]);
        }
        for (const int s : {SIGINT, SIGTERM, SIGPIPE, SIGXFSZ}) ::signal(s, SIG_DFL);
        if (filesizelimit > 0) {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = static_cast<rlim_t>(filesizelimit);
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
        }
        ::execv(FORMREPORT_BINARY, argv.data());
        ::_exit(127);
    }
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    ReportOutcome r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
    r.out = output.empty() ? readfile(out) : "";
    r.err = readfile(err);
    if (output.empty() || output == "-" || piped) fs::remove(out);
    fs::remove(err);
    return r;
}

std::vector<std::string> Svg::texts() const {
    std::vector<std::string> out;
    for (const Element* e : all("text")) out.push_back(e->text);
    return out;
}

std::vector<const Element*> Svg::all(const std::string& name) const {
    std::vector<const Element*> out;
    for (const Element& e : elements)
        if (e.name == name) out.push_back(&e);
    return out;
}

namespace {

// The elements read so far and the open ones, innermost last.
struct Reading {
    Svg* svg;
    std::vector<std::size_t> open;
};

void XMLCALL startelement(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto* r = static_cast<Reading*>(data);
    Element e;
    e.name = name;
    for (int i = 0; attributes[i]; i += 2) e.attributes[attributes[i]] = attributes[i + 1];
    r->open.push_back(r->svg->elements.size());
    r->svg->elements.push_back(std::move(e));
}

void XMLCALL endelement(void* data, const XML_Char*) {
    static_cast<Reading*>(data)->open.pop_back();
}

void XMLCALL characters(void* data, const XML_Char* text, int length) {
    auto* r = static_cast<Reading*>(data);
    if (!r->open.empty()) r->svg->elements[r->open.back()].text.append(text, length);
}

} // namespace

Svg parsesvg(const fs::path& path) {
    return parsexml(readfile(path));
}

Svg parsexml(const std::string& text) {
    Svg svg;
    XML_Parser parser = XML_ParserCreate(nullptr);
    Reading reading{&svg, {}};
    XML_SetUserData(parser, &reading);
    XML_SetElementHandler(parser, startelement, endelement);
    XML_SetCharacterDataHandler(parser, characters);
    svg.wellformed =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    if (!svg.wellformed)
        svg.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                    std::to_string(XML_GetCurrentLineNumber(parser));
    XML_ParserFree(parser);
    return svg;
}

std::string style(const Element& e, const std::string& property) {
    const auto found = e.attributes.find("style");
    if (found == e.attributes.end()) return "";
    std::istringstream items(found->second);
    for (std::string item; std::getline(items, item, ';');) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) continue;
        std::string name = item.substr(0, colon);
        name.erase(0, name.find_first_not_of(' '));
        if (name == property) return item.substr(colon + 1);
    }
    return "";
}

report::Rgb parsergb(const std::string& text) {
    report::Rgb c{-1, -1, -1};
    if (std::sscanf(text.c_str(), "rgb(%lf%%,%lf%%,%lf%%)", &c.r, &c.g, &c.b) != 3)
        return {-1, -1, -1};
    return {c.r / 100, c.g / 100, c.b / 100};
}

namespace {

bool samecolour(const report::Rgb& a, const report::Rgb& b) {
    return std::fabs(a.r - b.r) < 0.002 && std::fabs(a.g - b.g) < 0.002 &&
           std::fabs(a.b - b.b) < 0.002;
}

} // namespace

std::vector<const Element*> strokes(const Svg& svg, const report::Rgb& colour, double width) {
    std::vector<const Element*> out;
    for (const Element* e : svg.all("path")) {
        const std::string w = style(*e, "stroke-width");
        if (w.empty() || std::fabs(std::stod(w) - width) > 1e-9) continue;
        if (samecolour(parsergb(style(*e, "stroke")), colour)) out.push_back(e);
    }
    return out;
}

std::vector<const Element*> fills(const Svg& svg, const report::Rgb& colour) {
    std::vector<const Element*> out;
    for (const Element* e : svg.all("path"))
        if (samecolour(parsergb(style(*e, "fill")), colour)) out.push_back(e);
    return out;
}

std::vector<std::pair<double, double>> vertices(const std::string& d) {
    std::vector<std::pair<double, double>> out;
    std::istringstream in(d);
    std::string command;
    while (in >> command) {
        if (command == "Z") continue;
        double x = 0;
        double y = 0;
        if (command == "A") {
            double rx, ry, rotation, large, sweep;
            in >> rx >> ry >> rotation >> large >> sweep;
        }
        const int pairs = command == "C" ? 3 : 1;
        for (int k = 0; k < pairs; ++k) in >> x >> y;
        out.emplace_back(x, y);
    }
    return out;
}

std::pair<double, double> circlecentre(const Element& circle) {
    const auto v = vertices(circle.attributes.at("d"));
    return {(v.at(0).first + v.at(1).first) / 2, (v.at(0).second + v.at(1).second) / 2};
}

std::string alternating(int n, double deviation) {
    const double pi = std::acos(-1.0);
    std::ostringstream s;
    s.precision(17);
    s << n << " 0.000001\n";
    for (int i = 0; i < n; ++i) {
        const double r = i % 2 ? 10 - deviation : 10 + deviation;
        s << 100 + r * std::cos(2 * pi * i / n) << ' ' << 20 + r * std::sin(2 * pi * i / n) << '\n';
    }
    return s.str();
}

std::string wavy(int seed, double cri) {
    const double pi = std::acos(-1.0);
    const int n = 36;
    std::ostringstream s;
    s.precision(17);
    s << n << ' ' << cri << '\n';
    for (int i = 0; i < n; ++i) {
        const double r =
            10 + 0.003 * std::sin(seed * 1.7 * i + seed) + 0.001 * std::cos(i * i * 0.37 * seed);
        s << 100 + r * std::cos(2 * pi * i / n) << ' ' << 20 + r * std::sin(2 * pi * i / n) << '\n';
    }
    return s.str();
}

std::string readfile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writefile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string circles(const std::vector<Circle>& cs) {
    const double pi = std::acos(-1.0);
    std::ostringstream out;
    out.precision(17);
    out << "x,y,z\n";
    for (const Circle& c : cs)
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24;
            out << c.ex + c.r * std::cos(a) << "," << c.ey + c.r * std::sin(a) << "," << c.z
                << "\n";
        }
    return out.str();
}

} // namespace formeval::test
