// The uncertainty of a reference feature's quantities (formeval.uncertainty):
// the uncertainty library's Monte Carlo and GUM results, each quantity as a
// row of the fields formreport's `uncertainty --json` gives it.
#include "uncertainty/uncertainty.h"
#include "python/module.h"
#include "report/model/model.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace formeval::python {

namespace {

using uncertainty::Acts;
using uncertainty::Distribution;

constexpr int actscount = static_cast<int>(Acts::squarenessyz) + 1;
constexpr int distributioncount = static_cast<int>(Distribution::arcsine) + 1;

// One quantity's results, its trials' values as a numpy array.
struct Row {
    uncertainty::Quantity q;
    py::object values;

    bool interval() const { return q.mc.hasinterval; }
    // A Monte Carlo interval end, None where the trials give no interval.
    std::optional<double> end(double v) const { return interval() ? number(v) : std::nullopt; }
    // A GUM field, None where there is no GUM result.
    std::optional<double> gum(double v) const { return q.hasgum ? number(v) : std::nullopt; }
};

// The evaluation: the measured reference, the counts and the rows.
struct Study {
    uncertainty::Result r;
    py::object reference;
    py::list rows;
    bool certifiable = true; // a criterion with a certificate, trials certified
};

// The contribution of a text in formreport's --contribution form, values in
// `unit` (the coordinates'; none: values without a length unit), as (acts,
// distribution, width, name).
using Given = std::tuple<int, int, double, std::string>;

Given contribution(const std::string& text, const std::optional<std::string>& unit) {
    uncertainty::Contribution c;
    std::string why = report::parsecontribution(text, unit.value_or(report::defaultunit), c);
    // The data's unit is the keyword here, not formreport's option.
    if (const std::size_t at = why.find("with --unit"); at != std::string::npos)
        why.replace(at, 11, "as unit=");
    if (!why.empty()) throw py::value_error(why);
    return {static_cast<int>(c.acts), static_cast<int>(c.distribution), c.width, c.name};
}

Study propagate(const py::array& points, int feature, int criterion,
                const std::vector<Given>& model, long trials, int digits, long maxtrials,
                int coverage, std::uint64_t seed, int threads, bool gum, bool certify) {
    if (feature < 0 || feature >= static_cast<int>(pointset::features.size()) || criterion < 0 ||
        criterion >= static_cast<int>(pointset::criteria.size()))
        throw py::value_error("no such feature or criterion");
    std::vector<uncertainty::Contribution> contributions;
    for (const auto& [acts, distribution, width, name] : model) {
        if (acts < 0 || acts >= actscount || distribution < 0 || distribution >= distributioncount)
            throw py::value_error("no such contribution");
        contributions.push_back(
            {name, static_cast<Acts>(acts), static_cast<Distribution>(distribution), width});
    }
    const auto f = static_cast<pointset::Feature>(feature);
    const auto c = static_cast<pointset::Criterion>(criterion);
    PointArray p = pointarray(points, pointset::traits(f).dimension);
    uncertainty::Options o;
    o.trials = trials;
    o.digits = digits;
    o.maxtrials = maxtrials;
    o.coverage = coverage;
    o.seed = seed;
    o.threads = threads;
    o.gum = gum;
    o.certifytrials = certify;
    Study s;
    {
        py::gil_scoped_release unlocked;
        s.r = uncertainty::propagate(p.view(), f, c, contributions, o);
    }
    if (!s.r.ok) throw py::value_error(s.r.failure);
    s.certifiable = c != pointset::Criterion::leastsquares && certify;
    pointset::Options measured;
    measured.deviations = false;
    measured.budget = o.budget;
    s.reference = referenceobject(s.r.measured, std::move(p), measured);
    for (uncertainty::Quantity& q : s.r.quantities) {
        py::object values = ownedarray(std::move(q.values));
        q.values.clear();
        s.rows.append(Row{std::move(q), std::move(values)});
    }
    s.r.quantities.clear();
    return s;
}

} // namespace

void binduncertainty(py::module_& m) {
    // The names the model takes, in the order of the library's enumerations.
    py::list acts, distributions;
    for (int a = 0; a < actscount; ++a) acts.append(uncertainty::actsname(static_cast<Acts>(a)));
    for (int d = 0; d < distributioncount; ++d)
        distributions.append(uncertainty::distributionname(static_cast<Distribution>(d)));
    m.attr("ACTS") = py::tuple(acts);
    m.attr("DISTRIBUTIONS") = py::tuple(distributions);

    py::class_<Row>(m, "UncertaintyRow")
        .def_property_readonly("quantity", [](const Row& s) { return s.q.name; })
        .def_property_readonly("length", [](const Row& s) { return s.q.length; })
        .def_property_readonly("angle", [](const Row& s) { return s.q.angle; })
        .def_property_readonly("measured", [](const Row& s) { return s.q.measured; })
        .def_property_readonly("value", [](const Row& s) { return s.q.quoted.y; })
        .def_property_readonly("u", [](const Row& s) { return s.q.quoted.u; })
        .def_property_readonly("k", [](const Row& s) { return s.q.quoted.k; })
        .def_property_readonly("U", [](const Row& s) { return s.q.quoted.U; })
        .def_property_readonly("low", [](const Row& s) { return s.end(s.q.quoted.low); })
        .def_property_readonly("high", [](const Row& s) { return s.end(s.q.quoted.high); })
        .def_property_readonly("shortest_low", [](const Row& s) { return s.end(s.q.mc.shortlow); })
        .def_property_readonly("shortest_high",
                               [](const Row& s) { return s.end(s.q.mc.shorthigh); })
        .def_property_readonly("trials", [](const Row& s) { return s.q.mc.count; })
        .def_property_readonly("converged", [](const Row& s) { return s.q.converged; })
        .def_property_readonly("needed",
                               [](const Row& s) -> std::optional<long> {
                                   if (s.q.converged || s.q.needed <= 0) return std::nullopt;
                                   return s.q.needed;
                               })
        .def_property_readonly("delta", [](const Row& s) { return s.q.tolerance; })
        .def_property_readonly("bias", [](const Row& s) { return s.q.bias; })
        .def_property_readonly("corrected", [](const Row& s) { return s.q.quoted.corrected; })
        .def_property_readonly("estimate",
                               [](const Row& s) {
                                   return s.q.quoted.corrected ? "bias-corrected"
                                                               : "monte carlo average";
                               })
        .def_property_readonly("correction", [](const Row& s) { return s.q.quoted.correction; })
        .def_property_readonly("correction_u",
                               [](const Row& s) { return s.q.quoted.correctionu; })
        .def_property_readonly("mc_low", [](const Row& s) { return s.end(s.q.mc.low); })
        .def_property_readonly("mc_high", [](const Row& s) { return s.end(s.q.mc.high); })
        .def_property_readonly("gum_u", [](const Row& s) { return s.gum(s.q.gumu); })
        .def_property_readonly("gum_k", [](const Row& s) { return s.gum(s.q.gumk); })
        .def_property_readonly("gum_U", [](const Row& s) { return s.gum(s.q.gumU); })
        .def_property_readonly("gum_low",
                               [](const Row& s) { return s.gum(s.q.measured - s.q.gumU); })
        .def_property_readonly("gum_high",
                               [](const Row& s) { return s.gum(s.q.measured + s.q.gumU); })
        .def_property_readonly("validated",
                               [](const Row& s) -> std::optional<bool> {
                                   if (!s.q.hasgum) return std::nullopt;
                                   return s.q.validated;
                               })
        .def_property_readonly("d_low", [](const Row& s) { return s.gum(s.q.dlow); })
        .def_property_readonly("d_high", [](const Row& s) { return s.gum(s.q.dhigh); })
        .def_property_readonly("budget",
                               [](const Row& s) -> std::optional<std::vector<double>> {
                                   if (!s.q.hasgum) return std::nullopt;
                                   return s.q.budget;
                               })
        .def_property_readonly("sensitivity",
                               [](const Row& s) -> std::optional<std::vector<double>> {
                                   if (!s.q.hasgum) return std::nullopt;
                                   return s.q.sensitivity;
                               })
        .def_property_readonly("values", [](const Row& s) { return s.values; });

    py::class_<Study>(m, "Uncertainty")
        .def_property_readonly("reference", [](const Study& s) { return s.reference; })
        .def_property_readonly("rows", [](const Study& s) { return s.rows; })
        .def_property_readonly("trials", [](const Study& s) { return s.r.trials; })
        .def_property_readonly("failed", [](const Study& s) { return s.r.failed; })
        .def_property_readonly("uncertified",
                               [](const Study& s) -> std::optional<long> {
                                   if (!s.certifiable) return std::nullopt;
                                   return s.r.uncertified;
                               })
        .def_property_readonly("adaptive", [](const Study& s) { return s.r.adaptive; })
        .def_property_readonly("batch",
                               [](const Study& s) -> std::optional<long> {
                                   if (!s.r.adaptive) return std::nullopt;
                                   return s.r.batch;
                               })
        .def_property_readonly("batches",
                               [](const Study& s) -> std::optional<long> {
                                   if (!s.r.adaptive) return std::nullopt;
                                   return s.r.batches;
                               })
        .def_property_readonly("converged", [](const Study& s) { return s.r.converged; })
        .def_property_readonly("digits", [](const Study& s) { return s.r.digits; })
        .def_property_readonly("gum_evaluations", [](const Study& s) { return s.r.gumevaluations; })
        .def_property_readonly("gum_failure",
                               [](const Study& s) -> std::optional<std::string> {
                                   if (s.r.gumfailure.empty()) return std::nullopt;
                                   return s.r.gumfailure;
                               })
        .def_property_readonly("input_u", [](const Study& s) { return s.r.inputu; });

    m.def("contribution", &contribution, py::arg("text"), py::arg("unit"),
          "(acts, distribution, width, name) of a contribution in formreport's words.");
    m.def("uncertainty", &propagate, py::arg("points"), py::arg("feature"), py::arg("criterion"),
          py::arg("model"), py::arg("trials"), py::arg("digits"), py::arg("maxtrials"),
          py::arg("coverage"), py::arg("seed"), py::arg("threads"), py::arg("gum"),
          py::arg("certify"),
          "The uncertainty of the reference's quantities (feature and criterion by index, the "
          "model as (acts, distribution, width, name) by index), the trials run without the "
          "GIL.");
}

} // namespace formeval::python
