// The Python module vorlex over the library's C interface. The interpreter lock is released
// while the library works, so threads calling it run in parallel.
#include "vorlex.h"

#include <cstdio>
#include <memory>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <string>
#include <string_view>
#include <vector>

namespace py = pybind11;

namespace {

struct Repair {
    std::string text;
    py::bytes data;
    std::string verdict;
    std::string action;
    double confidence = 0;
    double plausibility = 0;
};

struct Candidate {
    std::string action;
    std::string label;
    double score = 0;
    double confidence = 0;
    double plausibility = 0;
};

/// The bytes of a bytes-like or str argument; the object must outlive the view.
struct Input {
    std::string_view bytes;
    unsigned flags = 0;
};

Input readInput(const py::handle& data, const char* function, bool allowText) {
    if (PyBytes_Check(data.ptr())) {
        char* buffer = nullptr;
        Py_ssize_t length = 0;
        PyBytes_AsStringAndSize(data.ptr(), &buffer, &length);
        return {{buffer, static_cast<std::size_t>(length)}, 0};
    }
    if (allowText && PyUnicode_Check(data.ptr())) {
        Py_ssize_t length = 0;
        const char* buffer = PyUnicode_AsUTF8AndSize(data.ptr(), &length);
        if (!buffer) // lone surrogates
            throw py::error_already_set();
        return {{buffer, static_cast<std::size_t>(length)}, VORLEX_INPUT_UTF8};
    }
    throw py::type_error(std::string(function) + "() takes " +
                         (allowText ? "bytes or str" : "bytes") + ", not " +
                         std::string(py::str(data.get_type().attr("__name__"))));
}

[[noreturn]] void raise(vorlex_status status, const vorlex_error_detail& detail) {
    if (status == VORLEX_ERROR_UNMAPPABLE) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "character U+%04lX at index %zu has no Windows-1251 byte (str input is "
                      "read as Windows-1251 text; pass bytes for text in another encoding)",
                      detail.code_point, detail.character_index);
        throw py::value_error(text);
    }
    if (status == VORLEX_ERROR_MEMORY)
        throw std::bad_alloc();
    throw py::value_error(vorlex_status_message(status));
}

Repair repair(const py::object& data) {
    const Input input = readInput(data, "repair", true);
    vorlex_repair_result* raw = nullptr;
    vorlex_error_detail detail{};
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_repair(input.bytes.data(), input.bytes.size(), input.flags, &raw, &detail);
    }
    if (status != VORLEX_OK)
        raise(status, detail);
    const std::unique_ptr<vorlex_repair_result, void (*)(vorlex_repair_result*)> result(
        raw, vorlex_repair_free);
    return {std::string(result->text, result->text_length),
            py::bytes(result->data, result->data_length),
            vorlex_verdict_name(result->verdict),
            result->action,
            result->confidence,
            result->plausibility};
}

std::vector<Candidate> candidates(const py::object& data, long limit) {
    const Input input = readInput(data, "candidates", true);
    if (limit < 1 || limit > 99)
        throw py::value_error("limit must be from 1 to 99, not " + std::to_string(limit));
    vorlex_candidate_list* raw = nullptr;
    vorlex_error_detail detail{};
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_candidates(input.bytes.data(), input.bytes.size(), input.flags,
                                   static_cast<std::size_t>(limit), &raw, &detail);
    }
    if (status != VORLEX_OK)
        raise(status, detail);
    const std::unique_ptr<vorlex_candidate_list, void (*)(vorlex_candidate_list*)> list(
        raw, vorlex_candidates_free);
    std::vector<Candidate> out;
    for (std::size_t i = 0; i < list->count; ++i) {
        const vorlex_candidate& item = *list->items[i];
        out.push_back({item.action, std::string(item.label, item.label_length), item.score,
                       item.confidence, item.plausibility});
    }
    return out;
}

py::bytes recode(const py::object& data, const py::object& action, bool wAsVe, bool noSj,
                 bool separateEnglish) {
    const Input input = readInput(data, "recode", false);
    if (!PyUnicode_Check(action.ptr()))
        throw py::type_error("recode() takes the action as str, not " +
                             std::string(py::str(action.get_type().attr("__name__"))));
    const std::string actionText = action.cast<std::string>();
    if (actionText.find('\0') != std::string::npos)
        throw py::value_error("the action holds a NUL character");
    const unsigned flags = (wAsVe ? VORLEX_W_AS_VE : 0u) | (noSj ? VORLEX_NO_SJ : 0u) |
                           (separateEnglish ? VORLEX_SEPARATE_ENGLISH : 0u);
    char* out = nullptr;
    std::size_t length = 0;
    vorlex_status status;
    {
        py::gil_scoped_release release;
        status = vorlex_recode(input.bytes.data(), input.bytes.size(), actionText.c_str(), flags,
                               &out, &length, nullptr);
    }
    if (status == VORLEX_ERROR_ACTION) {
        std::string codes;
        for (std::size_t i = 0; vorlex_filter_code(i); ++i)
            codes += (i ? " " : "") + std::string(vorlex_filter_code(i));
        throw py::value_error("the action \"" + actionText +
                              "\" is no chain of one to five filter codes separated by single "
                              "spaces; filter codes are: " +
                              codes);
    }
    if (status != VORLEX_OK)
        raise(status, {});
    const std::unique_ptr<char, void (*)(void*)> owned(out, vorlex_free);
    return py::bytes(out, length);
}

} // namespace

PYBIND11_MODULE(vorlex, m) {
    m.doc() = "Repairs Russian text stored in the wrong Cyrillic 8-bit encoding (KOI8-R read as "
              "Windows-1251 and the like).\n\n"
              "Every function may be called from any number of threads at once; the interpreter "
              "lock is released while the text is worked on.";
    m.attr("__version__") = vorlex_version();

    py::dict filters;
    for (std::size_t i = 0; vorlex_filter_code(i); ++i)
        filters[vorlex_filter_code(i)] = vorlex_filter_name(i);
    m.attr("FILTERS") = filters;

    py::class_<Repair>(m, "Repair", "The repair of a whole text.")
        .def_readonly("text", &Repair::text, "The repaired text.")
        .def_readonly("data", &Repair::data, "The repaired text in Windows-1251.")
        .def_readonly("verdict", &Repair::verdict,
                      "'repair', 'unchanged', 'none' (no reading is plausible Russian: the text "
                      "is returned as it is) or 'ambiguous' (the best reading was applied, but "
                      "another one is almost as likely).")
        .def_readonly("action", &Repair::action,
                      "The chain of filter codes applied ('kw ', ...); '' when the text stays.")
        .def_readonly("confidence", &Repair::confidence,
                      "Share of belief in the chosen reading among all readings, 0..1.")
        .def_readonly("plausibility", &Repair::plausibility,
                      "How likely the chosen reading is real Russian text, 0..1.")
        .def("__repr__", [](const Repair& r) {
            return "Repair(verdict='" + r.verdict + "', action='" + r.action +
                   "', confidence=" + std::string(py::str(py::float_(r.confidence))) +
                   ", plausibility=" + std::string(py::str(py::float_(r.plausibility))) + ")";
        });

    py::class_<Candidate>(m, "Candidate", "One reading of a text.")
        .def_readonly("action", &Candidate::action,
                      "The chain of filter codes ('kw ', ...); '' for the text as it is.")
        .def_readonly("label", &Candidate::label, "The start of the text in this reading.")
        .def_readonly("score", &Candidate::score,
                      "Log-likelihood per changeable byte; comparable within one list only.")
        .def_readonly("confidence", &Candidate::confidence,
                      "Share of belief in this reading among all readings, 0..1.")
        .def_readonly("plausibility", &Candidate::plausibility,
                      "How likely this reading is real Russian text, 0..1.")
        .def("__repr__", [](const Candidate& c) {
            return "Candidate(action='" + c.action +
                   "', confidence=" + std::string(py::str(py::float_(c.confidence))) +
                   ", plausibility=" + std::string(py::str(py::float_(c.plausibility))) + ")";
        });

    m.def("repair", &repair, py::arg("data"),
          "repair(data: bytes | str) -> Repair\n\n"
          "Finds the reading of the text that is most plausibly Russian and repairs the whole "
          "text with it, as `vorlex-cli auto --best` does.\n\n"
          "bytes are the text as stored. A str is first converted to Windows-1251 (as if the "
          "text had been read as Windows-1251); a character that has no Windows-1251 byte "
          "raises ValueError. Repairing text that went through other Unicode conversions is "
          "not supported yet.");
    m.def("candidates", &candidates, py::arg("data"), py::arg("limit") = 20,
          "candidates(data: bytes | str, limit: int = 20) -> list[Candidate]\n\n"
          "The readings of the text, best first, at most `limit` (1..99), as `vorlex-cli auto "
          "--refined` lists them. str input as for repair().");
    m.def("recode", &recode, py::arg("data"), py::arg("action"), py::kw_only(),
          py::arg("w_as_ve") = false, py::arg("no_sj") = false, py::arg("separate_english") = false,
          "recode(data: bytes, action: str, *, w_as_ve=False, no_sj=False, "
          "separate_english=False) -> bytes\n\n"
          "Recodes the bytes through a chain of filters: codes from FILTERS separated by single "
          "spaces ('kw', 'kw wl'), as `vorlex-cli recode --action` does. The options are those "
          "of transliteration: w_as_ve reads w as в, no_sj does not read sj as щ, "
          "separate_english encloses Latin letters in English-word markers.");
}
