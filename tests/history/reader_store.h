#pragma once

#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/history_reader.h"
#include "history/local_history.h"
#include "history/pg_connection.h"
#include "history/plant_database.h"
#include "support/plant_server.h"
#include "support/temp_folder.h"

namespace readertest {

enum class Store { Local, Plant };

// The reader's local time zone for one test, as it was after.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* before = std::getenv("TZ")) {
            m_before = before;
        }
        set(zone);
    }
    ~TimeZone() { set(m_before ? m_before->c_str() : nullptr); }

private:
    static void set(const char* zone) {
#ifdef _WIN32
        _putenv_s("TZ", zone != nullptr ? zone : "");
        _tzset();
#else
        zone != nullptr ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
#endif
    }
    std::optional<std::string> m_before;
};

// The same downloads kept in either store and read back through its reader: the PC's history
// file, or the plant database filled by its owner and read by the role that may only read.
class ReaderTest : public planttest::PlantServerTest, public ::testing::WithParamInterface<Store> {
protected:
    void SetUp() override {
        if (GetParam() == Store::Plant) {
            PlantServerTest::SetUp();
        }
    }
    std::unique_ptr<history::HistoryReader> kept(
        const std::vector<history::KeptDownload>& downloads) const {
        if (GetParam() == Store::Local) {
            history::LocalHistory local(m_folder.file("history.sqlite"),
                                        history::LocalHistory::Access::Write);
            for (const history::KeptDownload& download : downloads) {
                local.add(download);
            }
            return history::openLocalReader(local.path());
        }
        history::PlantDatabase plant(owner());
        plant.prepare();
        for (const history::KeptDownload& download : downloads) {
            plant.send(download);
        }
        history::PgConnection(owner()).execScript(
            "the reader's grant",
            "GRANT SELECT ON schema_version, downloads, points TO qorb_reader");
        return history::openPlantReader(reader());
    }

    testsupport::TempFolder m_folder;
};

inline std::string storeName(const ::testing::TestParamInfo<Store>& store) {
    return store.param == Store::Local ? "Local" : "Plant";
}

}  // namespace readertest
