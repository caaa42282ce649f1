#include "wyndrace/download_model.h"

#include <cmath>
#include <set>

#include "platform/oledate.h"
#include "wyndrace/protocol.h"

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

constexpr size_t kEidDigits = 22;
const WStringView kClosingRecord = u"[CSEOK]";

}  // namespace

bool ParseEquivalenceRecord(WStringView record, uint64_t& eid, WString& tattoo) {
    // "[EA" + 22 digits + "|" + at least one character + "]"
    constexpr size_t kBar = 3 + kEidDigits;
    if (record.size() < kBar + 3 || record.substr(0, 3) != u"[EA" || record[kBar] != u'|' ||
        record.back() != u']')
        return false;
    uint64_t value = 0;
    for (size_t i = 3; i < kBar; ++i) {
        if (!IsDigit(record[i])) return false;
        uint64_t digit = uint64_t(record[i] - u'0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    WStringView text = record.substr(kBar + 1, record.size() - kBar - 2);
    if (text.find_first_of(u"]|") != WStringView::npos) return false;
    eid = value;
    tattoo.assign(text);
    return true;
}

void CReviewModel::Build(const std::vector<WString>& records, IDownloadFlock& flock, CDownloadDecisions& decisions,
                         bool onlyErrors) {
    m_rows.clear();
    m_open = 0;
    m_unreadable = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        CReviewRow row;
        row.record = int(i);
        if (!ParseEquivalenceRecord(records[i], row.eid, row.tattoo)) {
            if (records[i] != kClosingRecord) ++m_unreadable;
            continue;
        }
        if (auto kept = decisions.decidedTattoo.find(row.record); kept != decisions.decidedTattoo.end())
            row.tattoo = kept->second;
        std::optional<uint64_t> current = flock.FindByTattoo(row.tattoo);
        if (current && *current == row.eid) {
            row.kind = kReviewNothing;
            row.image = kImageNothing;
            decisions.rowKinds[row.record] = row.kind;
            if (onlyErrors) continue;
        } else if (current) {
            auto decided = decisions.eidsToSet.find(row.tattoo);
            if (decided != decisions.eidsToSet.end()) {
                row.kind = kReviewNothing;
                row.image = decided->second != 0 ? kImageConfirmed : kImageDeclined;
            } else {
                row.kind = *current == 0 ? kReviewNoEid : kReviewOtherEid;
                row.image = kImageQuestion;
                ++m_open;
            }
        } else {
            row.kind = kReviewNoAnimal;
            auto decided = decisions.sheepToCreate.find(row.tattoo);
            if (decided != decisions.sheepToCreate.end()) {
                row.image = decided->second.skip ? kImageDeclined : kImageConfirmed;
            } else {
                row.image = kImageQuestion;
                ++m_open;
            }
        }
        decisions.rowKinds[row.record] = row.kind;
        m_rows.push_back(std::move(row));
    }
}

void CReviewModel::Settle(size_t row, int image, const WString& tattoo, CDownloadDecisions& decisions) {
    CReviewRow& r = m_rows.at(row);
    if (r.image == kImageQuestion) --m_open;
    r.image = image;
    r.tattoo = tattoo;
    decisions.decidedTattoo[r.record] = tattoo;
}

void CReviewModel::AnswerEid(size_t row, bool yes, CDownloadDecisions& decisions) {
    const CReviewRow& r = m_rows.at(row);
    if (r.kind != kReviewNoEid && r.kind != kReviewOtherEid) return;
    decisions.eidsToSet[r.tattoo] = yes ? r.eid : 0;
    Settle(row, yes ? kImageConfirmed : kImageDeclined, r.tattoo, decisions);
}

void CReviewModel::AnswerNewSheep(size_t row, const std::optional<CNewSheep>& sheep, const WString& tattoo,
                                  IDownloadFlock& flock, CDownloadDecisions& decisions) {
    const CReviewRow& r = m_rows.at(row);
    if (r.kind != kReviewNoAnimal) return;
    decisions.sheepToCreate.erase(r.tattoo);
    if (sheep && !tattoo.empty() && flock.FindByTattoo(tattoo)) {
        decisions.eidsToSet[tattoo] = r.eid;
        Settle(row, kImageConfirmed, tattoo, decisions);
    } else if (sheep && !tattoo.empty()) {
        CNewSheep s = *sheep;
        s.eid = r.eid;
        s.skip = false;
        decisions.sheepToCreate[tattoo] = s;
        Settle(row, kImageConfirmed, tattoo, decisions);
    } else {
        CNewSheep s;
        s.eid = r.eid;
        s.skip = true;
        decisions.sheepToCreate[r.tattoo] = s;
        Settle(row, kImageDeclined, r.tattoo, decisions);
    }
}

int CReviewModel::EarlierSex(size_t row, const CDownloadDecisions& decisions) const {
    auto it = decisions.sheepToCreate.find(m_rows.at(row).tattoo);
    return it == decisions.sheepToCreate.end() || it->second.skip ? -1 : it->second.sex;
}

std::vector<CControlEvent> BuildControlEvents(const std::vector<WString>& records) {
    std::vector<CControlEvent> events;
    for (const WString& text : records) {
        CControlRecord record;
        if (!ParseControlRecord(WToAnsi(text), record)) continue;
        CControlEvent event;
        event.eid = record.eid;
        event.tattoo = AnsiToW(record.text);
        for (const std::string& v : record.values) event.values.push_back(AnsiToW(v));
        if (record.year >= 0) {
            // A time that cannot be read leaves the reading at midnight; one that reads but does not
            // exist makes the reading undated, as a date that does not exist does.
            bool noTime = record.hour < 0;
            COleDateTime when;
            event.whenValid = when.SetDateTime(record.year, record.month, record.day, noTime ? 0 : record.hour,
                                               noTime ? 0 : record.minute, noTime ? 0 : record.second) == 0 &&
                              when.GetYear() == record.year && when.GetMonth() == record.month &&
                              when.GetDay() == record.day;
            if (event.whenValid) event.when = when.m_dt;
        }
        events.push_back(std::move(event));
    }
    return events;
}

void MapParameters(std::vector<CControlEvent>& events, const std::vector<int>& mapping) {
    for (CControlEvent& event : events) {
        event.mapped.assign(mapping.size(), WString());
        for (size_t k = 0; k < mapping.size(); ++k)
            if (mapping[k] >= 0 && size_t(mapping[k]) < event.values.size()) event.mapped[k] = event.values[mapping[k]];
    }
}

std::optional<uint64_t> ConflictingEid(const CDownloadDecisions& decisions, const WString& tattoo, uint64_t eid) {
    if (auto it = decisions.eidsToSet.find(tattoo); it != decisions.eidsToSet.end() && it->second != 0 &&
                                                     it->second != eid)
        return it->second;
    if (auto it = decisions.sheepToCreate.find(tattoo);
        it != decisions.sheepToCreate.end() && !it->second.skip && it->second.eid != eid)
        return it->second.eid;
    return std::nullopt;
}

bool ResolveTattoos(std::vector<CControlEvent>& events, IDownloadFlock& flock, CDownloadDecisions& decisions,
                    const EidDecider& decide, const std::function<void(const WString&, uint64_t)>& refused) {
    bool complete = true;
    std::map<uint64_t, WString> settled;
    std::set<uint64_t> cancelled;
    for (CControlEvent& event : events) {
        if (!event.tattoo.empty()) continue;
        if (auto known = settled.find(event.eid); known != settled.end()) {
            event.tattoo = known->second;
            continue;
        }
        if (cancelled.count(event.eid)) continue;
        if (std::optional<WString> tattoo = flock.FindByEid(event.eid)) {
            event.tattoo = settled[event.eid] = *tattoo;
            continue;
        }
        for (;;) {
            std::optional<CEidDecision> decision = decide(event.eid);
            if (!decision || decision->tattoo.empty()) {
                cancelled.insert(event.eid);
                complete = false;
                break;
            }
            // A tattoo the flock already has is a mapping, whatever was asked.
            std::optional<uint64_t> existing = flock.FindByTattoo(decision->tattoo);
            bool create = decision->create && !existing;
            std::optional<uint64_t> other = ConflictingEid(decisions, decision->tattoo, event.eid);
            if (!other && existing && *existing != 0 && *existing != event.eid) other = existing;
            if (other) {
                if (refused) refused(decision->tattoo, *other);
                continue;
            }
            if (create) {
                decisions.sheepToCreate[decision->tattoo] = CNewSheep{event.eid, decision->sex, false};
            } else {
                decisions.eidsToSet[decision->tattoo] = event.eid;
            }
            event.tattoo = settled[event.eid] = decision->tattoo;
            break;
        }
    }
    return complete;
}

double WeightFactor(WeightUnit from, WeightUnit to) {
    if (from == WeightUnit::Kg && to == WeightUnit::Lb) return kPoundsPerKilogram;
    if (from == WeightUnit::Lb && to == WeightUnit::Kg) return 1 / kPoundsPerKilogram;
    return 1;
}

namespace {

bool ReadNumber(const WString& text, double& value) {
    return ParseDouble(text, value) && std::isfinite(value);
}

}  // namespace

int ConvertWeights(std::vector<WString>& cells, double factor, int decimals) {
    std::vector<double> numbers(cells.size());
    for (size_t i = 0; i < cells.size(); ++i)
        if (!ReadNumber(cells[i], numbers[i])) return int(i);
    if (factor == 1) return -1;
    if (decimals < 0) decimals = 0;
    for (size_t i = 0; i < cells.size(); ++i) cells[i] = FormatW("%.*f", decimals, numbers[i] * factor);
    return -1;
}

WString WeightForFlock(const WString& shown, WeightUnit unit) {
    double value = 0;
    if (unit != WeightUnit::Kg || !ReadNumber(shown, value)) return shown;
    return FormatW("%.4g", value * kPoundsPerKilogram);
}

int FirstUndatedEvent(const std::vector<CControlEvent>& events) {
    for (size_t i = 0; i < events.size(); ++i)
        if (!events[i].whenValid) return int(i);
    return -1;
}

bool ApplyDownload(IDownloadFlock& flock, const CDownloadDecisions& decisions, const std::vector<CControlEvent>& events,
                   const CApplyControl& control, const std::function<void(const WString&)>& progress,
                   const std::function<bool()>& stop) {
    auto step = [&](const WString& tattoo) {
        if (progress) progress(tattoo);
        return !(stop && stop());
    };
    for (const auto& [tattoo, eid] : decisions.eidsToSet) {
        if (eid != 0 && flock.FindByTattoo(tattoo)) flock.SetEid(tattoo, eid);
        if (!step(tattoo)) return false;
    }
    for (const auto& [tattoo, sheep] : decisions.sheepToCreate) {
        if (!sheep.skip && flock.AddSheep(tattoo, sheep.sex)) flock.SetEid(tattoo, sheep.eid);
        if (!step(tattoo)) return false;
    }
    for (const CControlEvent& event : events) {
        if (event.tattoo.empty() || !event.whenValid || !flock.FindByTattoo(event.tattoo)) continue;
        std::vector<WString> parameters = event.mapped;
        if (control.weightParameter >= 0 && size_t(control.weightParameter) < parameters.size())
            parameters[control.weightParameter] = WeightForFlock(parameters[control.weightParameter], control.shownUnit);
        flock.AddEvent(event.tattoo, event.when, control.eventCode, parameters);
    }
    return true;
}
