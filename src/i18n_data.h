// Compiled-in interface texts: one table of key/text pairs per language.
#pragma once

#include <cstddef>

namespace i18n_data {

struct Entry {
    const char* key;
    const char* text;
};

// Every catalog holds exactly these many entries, keys in byte order.
inline constexpr std::size_t kEntryCount = 163;

struct Catalog {
    const char* code;
    const char* nativeName;
    const char* englishName;
    bool rtl;
    const Entry* entries;
    std::size_t count;
};

inline constexpr std::size_t kCatalogCount = 22;
extern const Catalog kCatalogs[kCatalogCount];

extern const Entry kEntries_de[kEntryCount];
extern const Entry kEntries_en[kEntryCount];
extern const Entry kEntries_fr[kEntryCount];
extern const Entry kEntries_es[kEntryCount];
extern const Entry kEntries_it[kEntryCount];
extern const Entry kEntries_pt[kEntryCount];
extern const Entry kEntries_nl[kEntryCount];
extern const Entry kEntries_pl[kEntryCount];
extern const Entry kEntries_cs[kEntryCount];
extern const Entry kEntries_hu[kEntryCount];
extern const Entry kEntries_ro[kEntryCount];
extern const Entry kEntries_sv[kEntryCount];
extern const Entry kEntries_da[kEntryCount];
extern const Entry kEntries_fi[kEntryCount];
extern const Entry kEntries_el[kEntryCount];
extern const Entry kEntries_tr[kEntryCount];
extern const Entry kEntries_ru[kEntryCount];
extern const Entry kEntries_ja[kEntryCount];
extern const Entry kEntries_zh[kEntryCount];
extern const Entry kEntries_ko[kEntryCount];
extern const Entry kEntries_ar[kEntryCount];
extern const Entry kEntries_he[kEntryCount];

}  // namespace i18n_data
