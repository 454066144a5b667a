#include "game/DialogModels.h"

#include <algorithm>
#include <system_error>

#include "voice/Announcer.h"

namespace korvel {
namespace {

const std::string kLok = "        Лок: ";

}  // namespace

int NextInRing(const std::vector<int>& ring, int current, bool forward) {
    if (ring.empty()) {
        return -1;
    }
    const int count = static_cast<int>(ring.size());
    const auto at = std::find(ring.begin(), ring.end(), current);
    if (at == ring.end()) {
        return forward ? ring.front() : ring.back();
    }
    return ring[static_cast<std::size_t>(
        (static_cast<int>(at - ring.begin()) + (forward ? 1 : count - 1)) % count)];
}

MessageButtons::MessageButtons(int options) {
    const int o = options;
    const int b = o % 16;
    const bool replace = o == 17 || o == 18 || o == 20;
    if (b % 8 == 6) {
        m_caption[0] = "Пропустить";
    }
    if (b % 4 == 1) {
        m_caption[0] = "ОК";
    }
    if (b % 8 == 2) {
        m_caption[1] = "Закрыть";
    }
    if (b % 8 == 0 || b % 8 == 6) {
        m_caption[1] = "Продолжить";
    }
    if (replace) {
        m_caption[0] = "Пропустить";
        m_caption[1] = "Заменить";
        m_caption[3] = "Добавить";
    }
    m_shown[0] = b % 2 == 1 || b % 8 == 6;
    m_shown[1] = b % 4 >= 2 || b % 8 == 0;
    m_shown[2] = b % 8 >= 4 || b % 8 == 0;
    m_shown[3] = b >= 8;
    for (bool& shown : m_shown) {
        shown = shown || replace;
    }
    if (o < 16) {
        // The first shown button takes the focus, never a hidden one.
        while (!m_shown[m_firstFocus - 1]) {
            ++m_firstFocus;
        }
    } else if (o == 17) {
        m_firstFocus = 0;
    } else if (o == 18 || o == 19 || o == 22 || o == 23 || o == 27 || o == 30 || o == 31) {
        m_firstFocus = 2;
    } else if (o == 16 || o == 20 || o == 21 || o == 24 || o == 29) {
        m_firstFocus = 3;
    } else {
        m_firstFocus = 4;
    }
}

int MessageButtons::closeAnswer() const {
    if (m_shown[2]) {
        return 3;
    }
    for (int n = 4; n > 1; --n) {
        if (m_shown[n - 1]) {
            return n;
        }
    }
    return 1;
}

DialogKeyResult MessageButtons::key(DialogKey key, bool shift, bool ctrlOrAlt, int focused) const {
    DialogKeyResult result;
    if (ctrlOrAlt) {
        return result;
    }
    std::vector<int> ring;
    for (int n = 1; n <= 4; ++n) {
        if (m_shown[n - 1]) {
            ring.push_back(n);
        }
    }
    switch (key) {
        case DialogKey::Enter:
            result.press = focused != 0 ? focused : m_shown[0] ? 1 : 0;
            break;
        case DialogKey::Space:
            result.press = focused;
            break;
        case DialogKey::Escape:
            result.press = m_shown[2] ? 3 : 0;
            break;
        case DialogKey::Tab:
            result.focus = NextInRing(ring, focused, !shift);
            break;
        case DialogKey::Backtab:
        case DialogKey::Left:
        case DialogKey::Up:
            result.focus = NextInRing(ring, focused, false);
            break;
        case DialogKey::Right:
        case DialogKey::Down:
            result.focus = NextInRing(ring, focused, true);
            break;
        default:
            result.handled = false;
            break;
    }
    return result;
}

void MessageButtons::focusIn(int n) {
    if (n < 1 || n > 2 || m_announcer == nullptr || !m_seen[n - 1]) {
        return;
    }
    if (m_caption[n - 1] == (n == 1 ? "Да" : "Нет")) {
        m_announcer->AddFile(n == 1 ? "53" : "54");
    }
}

void MessageButtons::focusOut(int n) {
    if (n < 1) {
        return;
    }
    if (n <= 2 && !m_seen[n - 1]) {
        m_seen[n - 1] = true;
    } else if (m_announcer != nullptr) {
        m_announcer->Clear();
    }
}

std::string MessageCaption(int style) {
    switch (style / 32) {
        case 0:
            return "Ошибка!";
        case 1:
            return "Внимание!";
        case 2:
            return "Вопрос";
        case 3:
            return "Сообщение.";
        default:
            return "Подтвердите.";
    }
}

const char* MessageBeep(int style) {
    // The platform's message beep of the class was value style div 2 + 16.
    const int value = style / 2 + 16;
    if (value < 32) {
        return "msgerror";
    }
    return value < 48 ? "msgquestion" : "msginfo";
}

SlotList::SlotList(Announcer* announcer, std::string word, std::vector<std::string> items)
    : m_announcer(announcer), m_word(std::move(word)), m_items(std::move(items)) {}

void SlotList::announce() {
    if (m_announcer != nullptr) {
        m_announcer->Clear();
        m_announcer->AddFile(m_word);
    }
}

void SlotList::selectFirst() {
    if (!m_items.empty()) {
        m_row = 0;
        sayItem();
    }
}

DialogKeyResult SlotList::key(DialogKey key, bool shift, bool ctrlOrAlt, int focused) {
    DialogKeyResult result;
    if (ctrlOrAlt || (shift && key != DialogKey::Tab && key != DialogKey::Backtab)) {
        return result;
    }
    const int count = static_cast<int>(m_items.size());
    switch (key) {
        case DialogKey::Enter:
            result.press = focused == 2 ? 2 : 1;
            break;
        case DialogKey::Space:
            result.press = focused == 1 || focused == 2 ? focused : 0;
            break;
        case DialogKey::Escape:
            result.press = 2;
            break;
        case DialogKey::Tab:
        case DialogKey::Backtab:
            result.focus = NextInRing({0, 1, 2}, focused, key == DialogKey::Tab && !shift);
            break;
        case DialogKey::Up:
        case DialogKey::Down:
        case DialogKey::Home:
        case DialogKey::End:
            if (focused == 0) {
                select(key == DialogKey::Up     ? m_row - 1
                       : key == DialogKey::Down ? m_row + 1
                       : key == DialogKey::Home ? 0
                                                : count - 1);
            }
            break;
        default:
            break;
    }
    if (result.press != 0) {
        m_result = result.press;
    }
    return result;
}

void SlotList::focusIn(int control) {
    if (m_announcer == nullptr) {
        return;
    }
    m_announcer->Clear();
    if (control == 0) {
        m_announcer->AddFile(m_word);
        sayItem();
    } else {
        m_announcer->AddFile(control == 1 ? "53" : "54");
    }
}

void SlotList::select(int row) {
    if (m_items.empty()) {
        return;
    }
    m_row = std::clamp(row, 0, static_cast<int>(m_items.size()) - 1);
    if (m_announcer != nullptr) {
        m_announcer->Clear();
    }
    sayItem();
}

// "lok", the slot number the item names and, for a saved game, "tur" and its
// stage digit.
void SlotList::sayItem() {
    if (m_announcer == nullptr || m_row < 0) {
        return;
    }
    const std::string& text = m_items[static_cast<std::size_t>(m_row)];
    int slot = 0;
    for (std::size_t i = text.rfind(kLok, 0) == 0 ? kLok.size() : text.size();
         i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        slot = slot * 10 + (text[i] - '0');
    }
    m_announcer->AddFile("lok");
    m_announcer->Number(slot);
    const char last = text.empty() ? '\0' : text.back();
    if (last >= '0' && last <= '9') {
        m_announcer->AddFile("tur");
        m_announcer->AddFile(std::string(1, last));
    }
}

std::string SavedGameItem(const SlotFile& file) {
    const char stage = file.stage();
    return kLok + std::to_string(file.slot) +
           ".   Этап: " + (stage != 0 ? std::string(1, stage) : "");
}

std::string NewSlotItem(int slot) {
    return kLok + std::to_string(slot) + ".";
}

SlotChoices SaveChoices(const std::filesystem::path& userFolder) {
    const std::vector<SlotFile> files = ListSlots(userFolder);
    SlotChoices choices;
    for (const SlotFile& file : files) {
        choices.items.push_back(SavedGameItem(file));
        choices.numbers.push_back(file.slot);
    }
    int slot = NewSlot(files);
    std::error_code error;
    while (std::filesystem::exists(GamesFolder(userFolder) / SlotFileName(slot), error)) {
        ++slot;
    }
    choices.items.push_back(NewSlotItem(slot));
    choices.numbers.push_back(slot);
    return choices;
}

std::vector<const SlotFile*> LoadChoices(const std::vector<SlotFile>& files,
                                         std::vector<std::string>& items) {
    std::vector<const SlotFile*> offered;
    for (const SlotFile& file : files) {
        if (file.valid()) {
            items.push_back(SavedGameItem(file));
            offered.push_back(&file);
        }
    }
    return offered;
}

}  // namespace korvel
