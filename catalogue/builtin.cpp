#include "catalogue/catalogue.h"

namespace {

struct BuiltinProduct
{
    const char *label;
    std::vector<std::pair<const char *, const char *>> applications; // name, type-and-creator code
    std::vector<const char *> documentTypes;
    const char *prefName;
    const char *plistNam;
    const char *apSpName;
};

// The six products known without a catalogue file. The counted type keys are written with a
// lower-case t ("apptype1", "doctype1"); lookups ignore the case of keys.
const std::vector<BuiltinProduct> &builtinProducts()
{
    static const std::vector<BuiltinProduct> products = {
        {"Tessolin II",
         {{"Tessolin", "APPLWqj1"}, {"Parvella", "APPLWqj2"}},
         {"Tmx3Wqj1", "Vhe3Wqj1"},
         "Tessolin初期設定",
         "Tessolin",
         "Tessolin II"},
        {"Ombrisk", {{"Ombrisk", "APPLWqj4"}}, {"ZorpWqj4"}, "Ombrisk初期設定", "Ombrisk", ""},
        {"Quillary", {{"Quillary", "APPLWqj5"}}, {"QvayWqj5"}, "Quillary初期設定", "Quillary", "Quillary"},
        {"Dromaxe mini", {{"Dromaxe", "APPLWqjk"}}, {}, "Dromaxe初期設定", "Dromaxe", ""},
        {"Lunvick", {{"Lunvick", "APPLWqjm"}}, {}, "Lunvick初期設定", "Lunvick", ""},
        {"Sorbeline nano",
         {{"sorbeline", "APPLWqjr"}},
         {},
         "Sorbeline nano初期設定",
         "Sorbeline",
         "Sorbeline"},
    };
    return products;
}

} // namespace

namespace Catalogue {

void addBuiltinRows()
{
    for (const BuiltinProduct &product : builtinProducts()) {
        Globals::gItem.emplace_back();
        fw::Dictionary &row = Globals::gItem.back();
        row.Value("appLabel", product.label);
        row.Value("appCount", static_cast<int32_t>(product.applications.size()));
        int64_t i = 0;
        for (const auto &[name, type] : product.applications) {
            ++i;
            row.Value(fw::String("appName") + fw::Str(i), name);
            row.Value(fw::String("apptype") + fw::Str(i), type);
        }
        row.Value("docCount", static_cast<int32_t>(product.documentTypes.size()));
        i = 0;
        for (const char *type : product.documentTypes)
            row.Value(fw::String("doctype") + fw::Str(++i), type);
        row.Value("prefName", product.prefName);
        row.Value("plistNam", product.plistNam);
        row.Value("apSpName", product.apSpName);
    }
}

} // namespace Catalogue
