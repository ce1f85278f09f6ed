// The string table as the program shows it: every entry loaded by its ID and compared unit by
// unit, and the formatting rules of the text helpers.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "resource.h"
#include "strings.h"
#include "win_test_util.h"

namespace {

struct Entry {
    unsigned id;
    const wchar_t* text;  // as shown, after formatting without arguments
};

// The texts as the user reads them; "%%" in the table shows as one percent sign.
// clang-format off
const Entry kEntries[] = {
    {1000, L"Файл"}, {1001, L"Открыть SpeedCam"}, {1007, L"Экспорт для Nissan Connect"},
    {1008, L"Сохранить как..."}, {1009, L"Подготовить съемный диск..."}, {1013, L"Выход"},
    {1020, L"Инструменты"}, {1021, L"Настройка фильтра"}, {1025, L"Справка"},
    {1026, L"О программе..."},
    {1030, L"\u041E\u041A"},  // Cyrillic О and К
    {1031, L"Отмена"}, {1032, L"Принимаю"}, {1033, L"Не принимаю"}, {1041, L"Формат Navitel"},
    {1042, L"Формат IGO"}, {1045, L"Фильтр: Вкл"}, {1046, L"Фильтр: Откл"}, {1047, L"UTF-16"},
    {1048, L"UTF-8"}, {1049, L"ANSI"}, {1100, L"Orvane"},
    {1101, L"Для начала откройте файл speedcam"},
    {1106, L"Список объектов файла speedcam. Если список отображается некорректно либо объектов "
     L"не обноружено, попробуйте  изменить кодировку"},
    {1107, L"Выберите необходимые для экспорта элементы. Двойной щелчек откроет окно параметров "
     L"элемента."},
    {1111, L"Координаты"}, {1112, L"Тип"}, {1113, L"Лимит скорости"}, {1114, L"Описание"},
    {1115, L"Формат сообщения"}, {1116, L"Комментарий"}, {1117, L"Количество"},
    {1121, L"Содержимое файла Speedcam"}, {1140, L"Экспорт успешно завершен."},
    {1141, L"Во время экспорта произошли ошибки."}, {1200, L"Редактор элемента"},
    {1205, L"Измените сообщение, которое будет отображаться на экране, при достижении объекта. "
     L"Ограничение скорости содержатся в аргументе %SPEED%"},
    {1300, L"Подготовка съемного диска"},
    {1305, L"Выберите съемный диск, на который необходимо сохранить объекты POI. Съемный диск "
     L"должен быть подключен, и отформатирован в FAT или FAT32. Рекомендуемый размер диска "
     L"до 8 Гб."},
    {1310, L"Буква"}, {1311, L"Метка"}, {1312, L"Ф/с"}, {1313, L"Размер"},
    {1320, L"Извините. Возникла ошибка при подготовки структуры папок"},
    {1321, L"Выбранный носитель не подходит для Nissan Connect.\r\nФайловая система съемного "
     L"диска должна быть FAT/FAT32.\r\nРазмер диска должен быть не более 8 Гб."},
    {1400, L"Настройка фильтра"},
    {1405, L"Укажите координаты (DD.DDDDD - десятич. градусы) вершин прямоугольника, "
     L"описывающего границы района. Только координаты входящие в пределы границ данного "
     L"рйона будут обработанны.\r\nУкажите \"0\" в любом из полей для отключения фильтра."},
    {1406, L"север\r\n|\r\n\r\nзапад \u2014 \t \u2014 восток\r\n\r\n|\r\nюг"}, {1410, L"X:"},
    {1411, L"Y:"}, {1500, L"О программе..."}, {1600, L"Условия использования"},
    {1605, L"Orvane. Условия использования:"},
    {1606, L"Авторы снимают с себя ответственность за любые действия, совершенные программой, "
     L"либо с её помощью. Результат программы может не соответствовать вашим ожиданиям. "
     L"Любые действия, Вы осуществляете на свой страх и риск."},
    {1607, L"Программа распространяется бесплатно, по принципу \"Как есть\". Авторы не "
     L"гарантируют постоянную доступность обновлений, работоспособность программы. "
     L"Использование программы в коммерческих целях, без согласия автора запрещено."},
    {1608, L"Нажимая кнопку \"Принимаю\" Вы соглашаетесь с вышеописанными условиями."}
};
// clang-format on

TEST(StringTable, EveryEntryShowsItsExactText) {
    AppState state = wintest::make_state(L"");
    for (const Entry& e : kEntries) {
        const wchar_t* text = load_string(state, e.id);
        ASSERT_NE(text, nullptr) << "entry " << e.id << " is missing";
        EXPECT_EQ(std::wstring(text), std::wstring(e.text))
            << "entry " << e.id << "\n  shown:    " << wintest::units(text)
            << "\n  expected: " << wintest::units(e.text);
    }
    // The about box: seven lines, the fourth empty, then a mail and a web address.
    const std::wstring about = load_string(state, IDS_ABOUT_TEXT);
    const std::size_t contacts = about.find(L"\r\n\r\nКонтакты:\r\n");
    EXPECT_TRUE(about.starts_with(L"Orvane\r\nВерсия: 1.0\r\n")) << wintest::units(about);
    EXPECT_EQ(std::count(about.begin(), about.end(), L'\n'), 6) << wintest::units(about);
    ASSERT_NE(contacts, std::wstring::npos) << wintest::units(about);
    EXPECT_LT(contacts, about.find(L'@'));
    EXPECT_LT(about.find(L'@'), about.find(L"\r\n", contacts + 15));
    EXPECT_NE(about.find(L"https://", about.find(L"\r\n", contacts + 15)), std::wstring::npos);
}

TEST(StringTable, EntriesWithArgumentsFormatThem) {
    AppState state = wintest::make_state(L"");
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

// load_string shares one buffer; a copy must not overwrite it, and a missing entry must not
// leave the previous text behind.
TEST(StringHelpers, CopiesLeaveTheSharedBufferAndMissingEntriesEmptyIt) {
    AppState state = wintest::make_state(L"");
    EXPECT_EQ(std::wstring(load_string(state, IDS_OK)), L"\u041E\u041A");
    EXPECT_EQ(load_string_copy(state, IDS_CANCEL), std::optional<std::wstring>(L"Отмена"));
    EXPECT_EQ(state.string_buffer, L"\u041E\u041A");
    EXPECT_EQ(load_string(state, 4242), nullptr);
    EXPECT_TRUE(state.string_buffer.empty());
    // A missing text passed on as an argument prints as "(null)".
    EXPECT_EQ(format_string(L"[%s]", load_string_copy(state, 4242)), L"[(null)]");
}

}  // namespace
