// The string table as the program shows it: texts that only the right encoding of the .rc and
// the right formatting rules produce, and the text helpers' one shared buffer.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "resource.h"
#include "strings.h"
#include "win_test_util.h"

namespace {

// A sample of entries whose characters go wrong first when the .rc is read in another code
// page or a "%%" is not formatted: Cyrillic letters that look Latin, the em dashes, tab and
// bars of the compass, typographic quotes, and single percent signs.
TEST(StringTable, SampleEntriesShowTheirExactUnits) {
    AppState state = wintest::make_state(L"");
    const std::pair<unsigned, const wchar_t*> sample[] = {
        {IDS_OK, L"\u041E\u041A"},  // Cyrillic О and К
        {IDS_FILTER_COMPASS, L"север\r\n|\r\n\r\nзапад \u2014 \t \u2014 восток\r\n\r\n|\r\nюг"},
        {IDS_TERMS_AGREEMENT, L"Нажимая кнопку \"Принимаю\" Вы соглашаетесь с вышеописанными "
                              L"условиями."},
        {IDS_ELEMENT_HINT, L"Измените сообщение, которое будет отображаться на экране, при "
                           L"достижении объекта. Ограничение скорости содержатся в аргументе "
                           L"%SPEED%"},
        {IDS_OBJECT_HINT, L"Список объектов файла speedcam. Если список отображается некорректно "
                          L"либо объектов не обноружено, попробуйте  изменить кодировку"},
        {IDS_DRIVE_FILE_SYSTEM, L"Ф/с"},
    };
    for (const auto& [id, text] : sample) {
        const std::wstring shown = wintest::text_of(state, id);
        EXPECT_EQ(shown, text) << id << "\n  shown:    " << wintest::units(shown)
                               << "\n  expected: " << wintest::units(text);
    }
    // The about box: seven lines, the fourth empty, then a mail and a web address.
    const std::wstring about = wintest::text_of(state, IDS_ABOUT_TEXT);
    EXPECT_TRUE(about.starts_with(L"Orvane\r\nВерсия: 1.0\r\n")) << wintest::units(about);
    EXPECT_EQ(std::count(about.begin(), about.end(), L'\n'), 6);
    EXPECT_LT(about.find(L"\r\n\r\nКонтакты:\r\n"), about.find(L'@'));
    EXPECT_LT(about.find(L'@'), about.find(L"https://"));
}

// load_string shares one buffer. A text made from an earlier result must read it before it is
// replaced, and a missing entry must not leave the previous text behind.
TEST(StringHelpers, NestedAndMissingEntries) {
    AppState state = wintest::make_state(L"");
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_OBJECTS, 4294967295u,
                                       load_string(state, IDS_FILTER_ON))),
              L"Объектов: 4294967295 (Фильтр: Вкл)");
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_TYPE, load_string(state, IDS_FORMAT_IGO),
                                       L"ANSI")),
              L"Тип: Формат IGO (ANSI)");
    EXPECT_TRUE(std::wstring(load_string(state, IDS_EXPORT_CAPPED, 6u))
                    .starts_with(L"Экспорт завершен, но итоговый файл ограничен максимально "
                                 L"допустимым размером в 6 Мб.\r\n"));
    EXPECT_EQ(load_string_copy(state, IDS_CANCEL), std::optional<std::wstring>(L"Отмена"));
    EXPECT_EQ(state.string_buffer.substr(0, 8), L"Экспорт ") << "a copy leaves the buffer";
    EXPECT_EQ(load_string(state, 4242), nullptr);
    EXPECT_TRUE(state.string_buffer.empty());
    EXPECT_EQ(format_string(L"[%s]", load_string_copy(state, 4242)), L"[(null)]");
}

}  // namespace
