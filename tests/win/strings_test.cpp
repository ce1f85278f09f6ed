// The string table as the program shows it: every entry loaded by its ID and compared unit by
// unit, and the formatting rules of the text helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include "resource.h"
#include "strings.h"
#include "win_test_util.h"

namespace {

struct Entry {
    unsigned id;
    const wchar_t* text;  // as shown, after formatting without arguments
};

// The texts as the user reads them; "%%" in the table shows as one percent sign.
const Entry kEntries[] = {
    {1000, L"Файл"},
    {1001, L"Открыть SpeedCam"},
    {1007, L"Экспорт для Nissan Connect"},
    {1008, L"Сохранить как..."},
    {1009, L"Подготовить съемный диск..."},
    {1013, L"Выход"},
    {1020, L"Инструменты"},
    {1021, L"Настройка фильтра"},
    {1025, L"Справка"},
    {1026, L"О программе..."},
    {1030, L"\u041E\u041A"},  // Cyrillic О and К
    {1031, L"Отмена"},
    {1032, L"Принимаю"},
    {1033, L"Не принимаю"},
    {1041, L"Формат Navitel"},
    {1042, L"Формат IGO"},
    {1045, L"Фильтр: Вкл"},
    {1046, L"Фильтр: Откл"},
    {1047, L"UTF-16"},
    {1048, L"UTF-8"},
    {1049, L"ANSI"},
    {1100, L"Orvane"},
    {1101, L"Для начала откройте файл speedcam"},
    {1106,
     L"Список объектов файла speedcam. Если список отображается некорректно либо объектов "
     L"не обноружено, попробуйте  изменить кодировку"},
    {1107,
     L"Выберите необходимые для экспорта элементы. Двойной щелчек откроет окно параметров "
     L"элемента."},
    {1111, L"Координаты"},
    {1112, L"Тип"},
    {1113, L"Лимит скорости"},
    {1114, L"Описание"},
    {1115, L"Формат сообщения"},
    {1116, L"Комментарий"},
    {1117, L"Количество"},
    {1121, L"Содержимое файла Speedcam"},
    {1140, L"Экспорт успешно завершен."},
    {1141, L"Во время экспорта произошли ошибки."},
    {1200, L"Редактор элемента"},
    {1205,
     L"Измените сообщение, которое будет отображаться на экране, при достижении объекта. "
     L"Ограничение скорости содержатся в аргументе %SPEED%"},
    {1300, L"Подготовка съемного диска"},
    {1305,
     L"Выберите съемный диск, на который необходимо сохранить объекты POI. Съемный диск "
     L"должен быть подключен, и отформатирован в FAT или FAT32. Рекомендуемый размер диска "
     L"до 8 Гб."},
    {1310, L"Буква"},
    {1311, L"Метка"},
    {1312, L"Ф/с"},
    {1313, L"Размер"},
    {1320, L"Извините. Возникла ошибка при подготовки структуры папок"},
    {1321,
     L"Выбранный носитель не подходит для Nissan Connect.\r\nФайловая система съемного "
     L"диска должна быть FAT/FAT32.\r\nРазмер диска должен быть не более 8 Гб."},
    {1400, L"Настройка фильтра"},
    {1405,
     L"Укажите координаты (DD.DDDDD - десятич. градусы) вершин прямоугольника, "
     L"описывающего границы района. Только координаты входящие в пределы границ данного "
     L"рйона будут обработанны.\r\nУкажите \"0\" в любом из полей для отключения фильтра."},
    {1406, L"север\r\n|\r\n\r\nзапад \u2014 \t \u2014 восток\r\n\r\n|\r\nюг"},
    {1410, L"X:"},
    {1411, L"Y:"},
    {1500, L"О программе..."},
    {1600, L"Условия использования"},
    {1605, L"Orvane. Условия использования:"},
    {1606,
     L"Авторы снимают с себя ответственность за любые действия, совершенные программой, "
     L"либо с её помощью. Результат программы может не соответствовать вашим ожиданиям. "
     L"Любые действия, Вы осуществляете на свой страх и риск."},
    {1607,
     L"Программа распространяется бесплатно, по принципу \"Как есть\". Авторы не "
     L"гарантируют постоянную доступность обновлений, работоспособность программы. "
     L"Использование программы в коммерческих целях, без согласия автора запрещено."},
    {1608, L"Нажимая кнопку \"Принимаю\" Вы соглашаетесь с вышеописанными условиями."},
};

AppState state_here() {
    return wintest::make_state(L"");
}

TEST(StringTable, EveryEntryShowsItsExactText) {
    AppState state = state_here();
    for (const Entry& e : kEntries) {
        const wchar_t* text = load_string(state, e.id);
        ASSERT_NE(text, nullptr) << "entry " << e.id << " is missing";
        EXPECT_EQ(std::wstring(text), std::wstring(e.text))
            << "entry " << e.id << "\n  shown:    " << wintest::units(text)
            << "\n  expected: " << wintest::units(e.text);
    }
}

TEST(StringTable, EntriesWithArgumentsFormatThem) {
    AppState state = state_here();
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_FILE, L"C:\\Карты\\speedcam.txt")),
              L"Файл: C:\\Карты\\speedcam.txt загружен");
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_TYPE, L"Формат IGO", L"ANSI")),
              L"Тип: Формат IGO (ANSI)");
    EXPECT_EQ(std::wstring(load_string(state, IDS_STATUS_OBJECTS, 4294967295u, L"Фильтр: Вкл")),
              L"Объектов: 4294967295 (Фильтр: Вкл)");
    EXPECT_EQ(std::wstring(load_string(state, IDS_EXPORT_CAPPED, 6u)),
              L"Экспорт завершен, но итоговый файл ограничен максимально допустимым размером в 6 "
              L"Мб.\r\nВоспользуйтесь фильтром для уменьшения количества объектов.");
}

TEST(StringTable, AboutTextHasTheSevenLinesOfTheBox) {
    AppState state = state_here();
    const std::wstring text = load_string(state, IDS_ABOUT_TEXT);
    std::vector<std::wstring> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(L"\r\n", start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 7u) << wintest::units(text);
    EXPECT_EQ(lines[0], L"Orvane");
    EXPECT_EQ(lines[1], L"Версия: 1.0");
    EXPECT_FALSE(lines[2].empty());
    EXPECT_EQ(lines[3], L"");
    EXPECT_EQ(lines[4], L"Контакты:");
    EXPECT_NE(lines[5].find(L'@'), std::wstring::npos);
    EXPECT_NE(lines[6].find(L"https://"), std::wstring::npos);
}

TEST(StringHelpers, LoadStringReusesOneBufferAndCopiesAreTheCallers) {
    AppState state = state_here();
    const wchar_t* first = load_string(state, IDS_OK);
    EXPECT_EQ(std::wstring(first), L"\u041E\u041A");
    EXPECT_EQ(state.string_buffer, L"\u041E\u041A");

    // A copy leaves the reusable buffer alone, so a shown text and a copy can coexist.
    const std::optional<std::wstring> copy = load_string_copy(state, IDS_CANCEL);
    ASSERT_TRUE(copy);
    EXPECT_EQ(*copy, L"Отмена");
    EXPECT_EQ(state.string_buffer, L"\u041E\u041A");

    // The next load replaces the buffer's text.
    EXPECT_EQ(std::wstring(load_string(state, IDS_ACCEPT)), L"Принимаю");
    EXPECT_EQ(state.string_buffer, L"Принимаю");
}

TEST(StringHelpers, MissingEntryGivesNullAndEmptiesTheBuffer) {
    AppState state = state_here();
    load_string(state, IDS_OK);
    EXPECT_EQ(load_string(state, 4242), nullptr);
    EXPECT_TRUE(state.string_buffer.empty());
    EXPECT_FALSE(load_string_copy(state, 4242));
    // A missing text passed on as an argument prints as "(null)".
    EXPECT_EQ(format_string(L"[%s]", load_string_copy(state, 4242)), L"[(null)]");
}

}  // namespace
