#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "history/kept_download.h"
#include "history/pg_connection.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace planttest {

// A test against the throwaway PostgreSQL of scripts/lib/postgres.bash, in a schema of its own
// (named after the test, made afresh), which the station and reader roles may use but not create
// in. Skipped when the server's variables are absent.
class PlantServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("QORB_TEST_POSTGRES") == nullptr) {
            GTEST_SKIP() << "no PostgreSQL to test against: scripts/test starts one "
                            "(scripts/lib/postgres.bash start_test_postgres sets its variables)";
        }
#ifndef _WIN32
        // Held shared by every test, exclusively by one that stops the server; never handed on
        // to a server the test starts again, which would hold it on.
        m_lock = open((variable("QORB_TEST_POSTGRES_CONTROL") + ".lock").c_str(),
                      O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        flock(m_lock, m_stopsServer ? LOCK_EX : LOCK_SH);
#endif
        m_schema =
            std::string("t_") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        // A parameterized test's name ends in "/Param", which no bare identifier holds.
        for (char& c : m_schema) {
            const auto byte = static_cast<unsigned char>(c);
            c = std::isalnum(byte) != 0 ? static_cast<char>(std::tolower(byte)) : '_';
        }
        history::PgConnection owner(variable("QORB_TEST_POSTGRES"));
        owner.exec("naming", "SELECT set_config('qorb.schema', $1, false)", {m_schema});
        owner.execScript("a fresh schema", R"sql(DO $$ BEGIN
            EXECUTE format('DROP SCHEMA IF EXISTS %I CASCADE', current_setting('qorb.schema'));
            EXECUTE format('CREATE SCHEMA %I', current_setting('qorb.schema'));
            EXECUTE format('GRANT USAGE ON SCHEMA %I TO qorb_station, qorb_reader',
                           current_setting('qorb.schema'));
            END $$)sql");
    }
    void TearDown() override {
#ifndef _WIN32
        if (m_lock >= 0) {
            close(m_lock);
        }
#endif
    }

    static std::string variable(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        return value != nullptr ? value : "";
    }
    // The role's connection string, confined to the test's schema.
    std::string as(const char* role) const {
        return variable(std::string("QORB_TEST_POSTGRES") + role) +
               " options=-csearch_path=" + m_schema;
    }
    std::string owner() const {
        return as("");
    }
    std::string station() const {
        return as("_STATION");
    }
    std::string reader() const {
        return as("_READER");
    }

    // The first column of every row, each on a line, with times in UTC.
    std::string query(const std::string& role, const char* sql) const {
        history::PgConnection connection(role + " options='-csearch_path=" + m_schema +
                                         " -cTimeZone=UTC'");
        const history::PgResult result = connection.exec("query", sql);
        std::string text;
        for (int row = 0; row < result.rows(); ++row) {
            text.append(row > 0 ? "\n" : "").append(result.text(row, 0));
        }
        return text;
    }

    bool m_stopsServer = false;

private:
    std::string m_schema;
    int m_lock = -1;
};

// A small download with every column set, its texts as a gauge and an operator might send them.
inline history::KeptDownload hostileDownload(const std::string& uid) {
    history::KeptDownload d;
    d.uid = uid;
    d.program = "qorb-download";
    d.programVersion = "1.02";
    d.host = "line-3";
    d.account = "op";
    d.pressedAt = "2026-12-07T14:15:03+01:00";
    d.endedAt = "2026-12-07T14:16:10+01:00";
    d.port = "Com 1";
    d.device = "/dev/ttyUSB0";
    d.baud = 9600;
    d.includeStatistics = true;
    d.gaugeVersion = "V1.1\t\"x\"";
    d.memoryAnnounced = 3;
    d.rowsReceived = 3;
    d.rowsWritten = 2;
    d.endedWith = "Transfer Complete - Data saved in file /tmp/a b.txt";
    d.complete = true;
    d.fingerprint = std::string(64, 'f');
    d.file = "/tmp/a b.txt";
    d.form = "text";
    d.characteristic = "'); DROP TABLE downloads;--";
    d.lowerLimit = -0.5;
    d.upperLimit = 0.1;
    d.valueField = 2;
    d.unit = "\xC2\xB5m";  // µm, the gauge's 0xB5
    d.counted = 2;
    d.mean = 0.1 + 0.2;
    d.belowLsl = 0;
    d.points = {{pointsfile::Section::Statistics, "N\t2", false, std::nullopt},
                {pointsfile::Section::Memory, "1\t-0.50\t\xC2\xB5m\xE2\x90\x80", false, -0.5},
                {pointsfile::Section::Memory, "D2\t'\\\"", true, std::nullopt}};
    return d;
}

}  // namespace planttest
